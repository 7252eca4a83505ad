// The window with an English UI language: every tab, box and the About box speak English, and
// no Japanese text is left anywhere on them.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QToolButton>

#include "app/AboutBox.h"
#include "app/Language.h"
#include "tests/app/WindowFixture.h"
#include "tests/support/Japanese.h"

namespace pellum::test {
namespace {

// Every text a user can see on `top` and its children: captions, items, hints, menu entries.
QStringList shownTexts(const QWidget* top) {
    QStringList texts{top->windowTitle(), top->toolTip()};
    QList<const QWidget*> widgets{top};
    for (const QWidget* w : top->findChildren<QWidget*>()) widgets << w;
    for (const QWidget* w : widgets) {
        texts << w->toolTip();
        if (auto* l = qobject_cast<const QLabel*>(w)) texts << l->text();
        if (auto* b = qobject_cast<const QAbstractButton*>(w)) texts << b->text();
        if (auto* e = qobject_cast<const QLineEdit*>(w)) texts << e->text();
        if (auto* m = qobject_cast<const QMenu*>(w)) texts << m->title();
        if (auto* c = qobject_cast<const QComboBox*>(w)) {
            texts << c->placeholderText();
            for (int i = 0; i < c->count(); ++i) texts << c->itemText(i);
        }
        if (auto* t = qobject_cast<const QTabWidget*>(w))
            for (int i = 0; i < t->count(); ++i) texts << t->tabText(i);
        for (const QAction* a : w->actions()) texts << a->text() << a->toolTip();
    }
    texts.removeAll(QString());
    return texts;
}

// `texts` hold `expected` and nothing Japanese.
void expectEnglish(const QStringList& texts, const QString& expected, const std::string& where) {
    EXPECT_TRUE(texts.join('\n').contains(expected))
        << where << ": no \"" << expected.toStdString() << "\" in\n"
        << texts.join('\n').toStdString();
    for (const QString& text : texts)
        EXPECT_FALSE(hasJapanese(text.toStdString())) << where << ": " << text.toStdString();
}

class English : public WindowTest {
protected:
    English() { useUiLanguages({"en-US", "ja-JP"}); }
    ~English() override { useUiLanguages({"ja"}); }
};

TEST_F(English, EveryTabMenuAndBoxSpeaksEnglish) {
    setSetting("MIDI_IN_NAME", RegistryValue::string("Gone Synth"));
    start();
    ASSERT_TRUE(pumpUntil([&] { return !dialogs.messages.isEmpty(); }));
    RecordingLinks links;
    AboutBox about(links);
    about.writeMail();
    ASSERT_EQ(links.opened.size(), 1);
    const struct {
        QStringList texts;
        const char* expected;
    } cases[] = {
        {shownTexts(ui(*form).sysexTab), "SysEx List"},
        {shownTexts(ui(*form).requestTab), "Dump Request"},
        {shownTexts(ui(*form).identityTab), "Software Version"},
        {shownTexts(ui(*form).configTab), "SysEx Channel"},
        {shownTexts(form.get()), "Stop Sending"},  // menus, tab captions and tool bar hints
        {shownTexts(&about), "The latest version is here"},
        {{links.opened.front().toString()}, "subject=About Pellum"},  // the mail it starts
    };
    for (const auto& c : cases) expectEnglish(c.texts, c.expected, c.expected);

    const std::string cfg = dir.file("bad.cfg");
    writeBytes(cfg, {'T', '\n', 'N', 'O', '\n', 'z', 'z', '\n'});
    const struct {
        const char* box;
        std::function<void()> open;  // opens it, unless the window already did
        const QStringList& texts;
        QString expected;
    } boxes[] = {
        {"notice", [] {}, dialogs.messages, "The last MIDI input device \"Gone Synth\" is missing"},
        {"file error",
         [&] {
             dialogs.answers.push_back(QString::fromStdString(dir.file("none.syx")));
             ui(*form).openAction->trigger();
         },
         dialogs.errors, "Cannot open file"},
        {"request file error",
         [&] {
             dialogs.answers.push_back(QString::fromStdString(cfg));
             ui(*form).openRequestButton->click();
         },
         dialogs.errors, "'zz' is not a number"},
    };
    for (const auto& b : boxes) {
        b.open();
        expectEnglish(b.texts, b.expected, b.box);
    }
    QStringList dialogTexts;
    for (const FileDialogSpec& spec : dialogs.asked) dialogTexts << spec.title << spec.filter;
    expectEnglish(dialogTexts, "Open Request File", "file dialogs");
}

// One of a thing is said in the singular, as English has it, several in the plural.
TEST_F(English, CountsTakeTheFormOfTheirNumber) {
    start();
    const Bytes bad{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x40, 0xF7};
    for (const auto& [copies, shown] : {std::pair{1, "1 bad sum"}, {2, "2 bad sums"}}) {
        writeBytes(dir.file("x.syx"), joined(std::vector<Bytes>(copies, bad)));
        form->openSyxFile(QString::fromStdString(dir.file("x.syx")));
        EXPECT_EQ(ui(*form).checksumState->text(), shown);
    }
}

}  // namespace
}  // namespace pellum::test
