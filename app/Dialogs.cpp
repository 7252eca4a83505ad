#include "app/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace pellum {
namespace {

std::optional<QString> runFileDialog(QWidget* parent, const FileDialogSpec& spec,
                                     QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, spec.title);
    dialog.setAcceptMode(mode);
    dialog.setNameFilter(qtFilter(spec.filter));
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    if (!spec.defaultExtension.isEmpty()) {
        dialog.setDefaultSuffix(spec.defaultExtension);
        // A name typed without an extension gets that of the kind of file chosen below it.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& f) {
            const qsizetype at = f.lastIndexOf("(*.");
            if (at >= 0)
                dialog.setDefaultSuffix(f.mid(at + 3).section(')', 0, 0).section(' ', 0, 0));
        });
    }
    if (!spec.confirmOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!spec.initialFile.isEmpty()) dialog.selectFile(spec.initialFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

}  // namespace

QString qtFilter(const QString& filter) {
    QStringList entries;
    const QStringList parts = filter.split('|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = "(" + QString(parts[i + 1]).replace(';', ' ') + ")";
        // A text that already ends with its patterns does not get them twice.
        const QString shown = QString(parts[i]).replace(';', ' ');
        entries << (shown.endsWith(patterns) ? shown : parts[i] + " " + patterns);
    }
    return entries.join(";;");
}

std::optional<QString> QtDialogs::openFile(const FileDialogSpec& spec) {
    return runFileDialog(parent_, spec, QFileDialog::AcceptOpen);
}

std::optional<QString> QtDialogs::saveFile(const FileDialogSpec& spec) {
    return runFileDialog(parent_, spec, QFileDialog::AcceptSave);
}

Dialogs::Unsaved QtDialogs::askUnsaved(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent_);
    box.setDefaultButton(QMessageBox::Save);
    box.setTextFormat(Qt::PlainText);
    switch (box.exec()) {
        case QMessageBox::Save:
            return Unsaved::save;
        case QMessageBox::Discard:
            return Unsaved::discard;
        default:
            return Unsaved::cancel;
    }
}

void QtDialogs::message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);  // names from outside are shown as they are
    box.exec();
}

void QtDialogs::error(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);  // names from outside are shown as they are
    box.exec();
}

void QtDialogs::runtimeError(const QString& text) {
    QMessageBox box(QMessageBox::Critical,
                    QCoreApplication::translate("Dialogs", "Application Error"), text,
                    QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);  // names from outside are shown as they are
    box.exec();
}

}  // namespace pellum
