// The modal boxes and file dialogs the main window uses, behind one interface so tests can
// record them instead of blocking on a modal window.
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace pellum {

// A file dialog as the window describes it. `filter` pairs a shown text with its patterns:
// "System Exclusive Message(*.syx)|*.ex;*.syx".
struct FileDialogSpec {
    QString title;
    QString filter;
    QString defaultExtension;  // empty: none
    QString initialFile;
    bool confirmOverwrite = false;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // The chosen file's full path, or nothing when the user cancelled.
    virtual std::optional<QString> openFile(const FileDialogSpec& spec) = 0;
    virtual std::optional<QString> saveFile(const FileDialogSpec& spec) = 0;
    // A plain notice: caption "Pellum", OK.
    virtual void message(const QString& text) = 0;
    // Asks whether to save work a command would throw away: Save, Discard or Cancel.
    enum class Unsaved { save, discard, cancel };
    virtual Unsaved askUnsaved(const QString& text) = 0;
    // The standard error box: caption "Pellum", error icon, OK. `text` is already worded.
    virtual void error(const QString& text) = 0;
    // The run-time library's error box, for an error that ends the program: caption
    // "Application Error", error icon, OK, no owner window. Dialogs without one of their
    // own show it as any other error.
    virtual void runtimeError(const QString& text) { error(text); }
    // The window that owns the boxes from now on; none when null.
    virtual void setParent(QWidget* parent) { static_cast<void>(parent); }
};

// The real dialogs, owned by `parent`'s window.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) override { parent_ = parent; }
    std::optional<QString> openFile(const FileDialogSpec& spec) override;
    std::optional<QString> saveFile(const FileDialogSpec& spec) override;
    void message(const QString& text) override;
    Unsaved askUnsaved(const QString& text) override;
    void error(const QString& text) override;
    void runtimeError(const QString& text) override;

private:
    QWidget* parent_;
};

// "Text|*.a;*.b" becomes Qt's "Text (*.a *.b)".
QString qtFilter(const QString& filter);

}  // namespace pellum
