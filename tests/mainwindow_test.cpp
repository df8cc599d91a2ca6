// The main window's own behaviour: initial state, size limits, Ctrl+A, the
// delimiter pair and the row-limit spin edit.
#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QTest>
#include <gtest/gtest.h>

#include "support/CodePageScope.h"

#include "platform/AnsiText.h"
#include "support/WindowFixture.h"

using vcl::CodePage;

namespace {
// Types a text key by key, as a user does (QTest only knows ASCII keys).
void typeText(QWidget* w, const QString& text) {
    for (QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(w, ch.toLatin1());
        } else {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(w, &press);
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(w, &release);
        }
    }
}
}  // namespace


using MainWindow = WindowTest;

TEST_F(MainWindow, InitialState) {
    EXPECT_EQ(form->windowTitle().toStdString(), "Vantiro");
    EXPECT_EQ(form->size(), QSize(422, 223));
    EXPECT_EQ(form->txtTerminatedStr->Text(), ",");
    EXPECT_EQ(form->txtTerminatedAscii->Text(), "44");
    EXPECT_TRUE(form->optAll->isChecked());
    EXPECT_FALSE(form->optSetCount->isChecked());
    EXPECT_EQ(form->txtSetCount->Text(), "100");
    EXPECT_EQ(form->txtFormatDate->Text(), "YYYY/MM/DD HH:MM:SS");
    EXPECT_FALSE(form->chkTitle->isChecked());
    EXPECT_FALSE(form->chkEnclosed->isChecked());
    EXPECT_FALSE(form->chkFormatDate->isChecked());
    EXPECT_TRUE(form->cmdConnect->isEnabled());
    EXPECT_FALSE(form->cmdDisConnect->isEnabled());
    EXPECT_FALSE(form->cmdOutput->isEnabled());
    EXPECT_EQ(Panel(0), "");
    EXPECT_EQ(Panel(1), "");
    EXPECT_EQ(hEnv, nullptr);
    EXPECT_EQ(hDbc, nullptr);
    EXPECT_EQ(OutputState, 0);

    struct Place { QWidget* w; QRect r; const char* caption; };
    const Place places[] = {
        {form->grpInit, {10, 10, 121, 71}, nullptr},
        {form->chkTitle, {10, 20, 91, 21}, "見出しを含む"},
        {form->chkEnclosed, {10, 40, 101, 21}, "引用符を付ける"},
        {form->grpTerminated, {130, 10, 131, 71}, nullptr},
        {form->lblTerminatedStr, {10, 24, 24, 12}, "文字"},
        {form->txtTerminatedStr, {80, 20, 41, 21}, nullptr},
        {form->lblTerminatedAscii, {10, 44, 63, 12}, "ASCII コード"},
        {form->txtTerminatedAscii, {80, 40, 41, 20}, nullptr},
        {form->grpCount, {260, 10, 151, 71}, nullptr},
        {form->optAll, {10, 20, 51, 21}, "全件"},
        {form->optSetCount, {10, 40, 51, 21}, "指定"},
        {form->txtSetCount, {60, 40, 81, 21}, nullptr},
        {form->grpFormatDate, {10, 85, 191, 46}, nullptr},
        {form->chkFormatDate, {10, 0, 106, 14}, "Date 型書式指定"},
        {form->txtFormatDate, {20, 20, 151, 20}, nullptr},
        {form->cmdConnect, {250, 100, 51, 31}, "接続"},
        {form->cmdDisConnect, {300, 100, 51, 31}, "切断"},
        {form->cmdOutput, {360, 100, 51, 31}, "出力"},
        {form->pnlTop, {0, 0, 422, 141}, nullptr},
        {form->memSQL, {0, 141, 422, 63}, nullptr},
        {form->stbMain, {0, 204, 422, 19}, nullptr},
    };
    for (const auto& p : places) {
        EXPECT_EQ(p.w->geometry(), p.r) << p.w->objectName().toStdString();
        if (p.caption) {
            QString text = p.w->property("text").toString();
            EXPECT_EQ(text.toStdString(), p.caption) << p.w->objectName().toStdString();
        }
    }
    EXPECT_EQ(form->grpInit->Caption().toStdString(), "出力設定");
    EXPECT_EQ(form->grpTerminated->Caption().toStdString(), "区切り文字");
    EXPECT_EQ(form->grpCount->Caption().toStdString(), "出力件数");
    EXPECT_TRUE(form->grpFormatDate->Caption().isEmpty());
    EXPECT_EQ(form->font().pixelSize(), 12);
    EXPECT_EQ(form->memSQL->font().pixelSize(), 13);
    EXPECT_EQ(form->stbMain->PanelRect(0).width(), 150);
}

TEST_F(MainWindow, MinimumSizeAndResizeGrowOnlyTheEditor) {
    EXPECT_EQ(form->minimumSize(), QSize(422, 223));
    form->resize(600, 400);
    QApplication::processEvents();
    EXPECT_EQ(form->pnlTop->geometry(), QRect(0, 0, 600, 141));
    EXPECT_EQ(form->memSQL->geometry(), QRect(0, 141, 600, 400 - 141 - 19));
    EXPECT_EQ(form->stbMain->geometry(), QRect(0, 381, 600, 19));
    EXPECT_EQ(form->cmdOutput->geometry(), QRect(360, 100, 51, 31));
    EXPECT_EQ(form->stbMain->PanelRect(0).width(), 150);
    EXPECT_EQ(form->stbMain->PanelRect(1).right(), 599);

    vcl::MINMAXINFO info{};
    info.ptMaxSize = {1234, 567};
    form->Perform(vcl::WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 430);
    EXPECT_EQ(info.ptMinTrackSize.y, 250);
    EXPECT_EQ(info.ptMaxSize.x, 1234);  // the rest of the record untouched
}

TEST_F(MainWindow, CtrlASelectsTheWholeStatementOnlyWithCtrlAlone) {
    struct Case { Qt::KeyboardModifiers mods; bool selectsAll; };
    const Case cases[] = {
        {Qt::ControlModifier, true},
        {Qt::ControlModifier | Qt::ShiftModifier, false},
        {Qt::ControlModifier | Qt::AltModifier, false},
    };
    for (const auto& c : cases) {
        form->memSQL->setPlainText("SELECT 1\nFROM t");
        QTextCursor cur = form->memSQL->textCursor();
        cur.setPosition(3);
        form->memSQL->setTextCursor(cur);
        QTest::keyClick(form->memSQL, Qt::Key_A, c.mods);
        EXPECT_EQ(form->memSQL->textCursor().selectedText().size() == 15, c.selectsAll) << int(c.mods);
    }
    form->memSQL->setPlainText("");
    QTest::keyClick(form->memSQL, Qt::Key_A);
    EXPECT_EQ(form->memSQL->toPlainText().toStdString(), "a");
}

// ---- the delimiter pair

namespace {
enum class Edit { Type, Paste, Cut, Delete };
struct PairCase {
    const char* name;
    bool codeBox;         // the code box is edited, else the character box
    const char* start;    // character box content before (the code box follows)
    Edit edit;
    const char* input;    // typed or pasted text, replacing the whole box (Cut/Delete: none)
    std::string chr;      // character box afterwards (bytes)
    const char* code;     // code box afterwards
};

void apply(TfrmMain& f, const PairCase& c) {
    vcl::TEdit* box = c.codeBox ? f.txtTerminatedAscii : f.txtTerminatedStr;
    box->selectAll();
    switch (c.edit) {
    case Edit::Type: typeText(box, QString::fromUtf8(c.input)); break;
    case Edit::Paste:
        QApplication::clipboard()->setText(QString::fromUtf8(c.input));
        box->paste();
        break;
    case Edit::Cut: box->cut(); break;
    case Edit::Delete: QTest::keyClick(box, Qt::Key_Delete); break;
    }
}
}  // namespace

TEST_F(MainWindow, DelimiterPairOutcomes) {
    CodePageScope cp(CodePage::Cp932);
    const PairCase cases[] = {
        {"semicolon typed over comma", false, ",", Edit::Type, ";", ";", "59"},
        {"character box emptied", false, ",", Edit::Delete, "", "", ""},
        {"character box cut", false, ",", Edit::Cut, "", "", ""},
        {"half-width katakana", false, ",", Edit::Type, "ｱ", "", ""},
        {"letter typed", false, ",", Edit::Type, "x", "x", "120"},
        {"code 9 gives tab", true, ",", Edit::Type, "9", "\t", "9"},
        {"code 200 digit by digit", true, ",", Edit::Type, "200", "", ""},
        {"code 44 digit by digit", true, ";", Edit::Type, "44", ",", "44"},
        {"code 32 blank", true, ",", Edit::Type, "32", " ", "32"},
        {"code 127", true, ",", Edit::Type, "127", "\x7F", "127"},
        {"code 128", true, ",", Edit::Type, "128", "\x80", "128"},
        {"code 129", true, ",", Edit::Type, "129", "", ""},
        {"code 0", true, ",", Edit::Type, "0", "", ""},
        {"code -0 pasted", true, ",", Edit::Paste, "-0", "", ""},
        {"code lone minus", true, ",", Edit::Type, "-", "", ""},
        {"code lone dollar", true, ",", Edit::Type, "$", "", ""},
        {"code letter", true, ",", Edit::Type, "a", "", ""},
        {"code trailing blank pasted", true, ",", Edit::Paste, "44 ", "", ""},
        {"+44 pasted over another char", true, ";", Edit::Paste, "+44", ",", "44"},
        {"044 pasted over another char", true, ";", Edit::Paste, "044", ",", "44"},
        {"$2C pasted over another char", true, ";", Edit::Paste, "$2C", ",", "44"},
        {"044 pasted over 44 keeps the form", true, ",", Edit::Paste, "044", ",", "044"},
        {"$09 pasted over 44", true, ",", Edit::Paste, "$09", "\t", "9"},
        {"code box cut", true, ",", Edit::Cut, "", "", ""},
        {"code box emptied", true, ",", Edit::Delete, "", "", ""},
    };
    for (const auto& c : cases) {
        form->txtTerminatedStr->SetText(c.start);
        ASSERT_EQ(form->txtTerminatedStr->Text(), c.start);
        apply(*form, c);
        EXPECT_EQ(form->txtTerminatedStr->Text(), c.chr) << c.name;
        EXPECT_EQ(form->txtTerminatedAscii->Text(), c.code) << c.name;
    }
}

TEST_F(MainWindow, DelimiterDigitByDigitPassesThroughPrefixes) {
    form->txtTerminatedStr->SetText("");
    std::vector<std::string> seen;
    auto previous = form->txtTerminatedStr->OnChange;
    form->txtTerminatedStr->OnChange = [&] {
        seen.push_back(form->txtTerminatedStr->Text());
        previous();
    };
    QTest::keyClicks(form->txtTerminatedAscii, "200");
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen[0], "\x02");
    EXPECT_EQ(seen[1], "\x14");
    EXPECT_EQ(form->txtTerminatedStr->Text(), "");
    EXPECT_EQ(form->txtTerminatedAscii->Text(), "");
}

TEST_F(MainWindow, DelimiterByteTextIsTheTruthUnderUtf8) {
    CodePageScope cp(CodePage::Utf8);
    QTest::keyClicks(form->txtTerminatedAscii, "");
    form->txtTerminatedAscii->selectAll();
    QTest::keyClicks(form->txtTerminatedAscii, "128");
    EXPECT_EQ(form->txtTerminatedStr->Text(), "\x80");  // no character here, the byte stays
    EXPECT_EQ(form->txtTerminatedAscii->Text(), "128");
    // A half-width katakana is three bytes here: the one-byte limit refuses it.
    form->txtTerminatedStr->SetText(",");
    form->txtTerminatedStr->selectAll();
    typeText(form->txtTerminatedStr, QString::fromUtf8("ｱ"));
    EXPECT_EQ(form->txtTerminatedStr->Text(), ",");
    EXPECT_EQ(form->txtTerminatedAscii->Text(), "44");
}

TEST_F(MainWindow, WritingNulIntoTheEmptyCharacterBoxStillRaisesAChange) {
    form->txtTerminatedStr->SetText("");
    int changes = 0;
    auto previous = form->txtTerminatedStr->OnChange;
    form->txtTerminatedStr->OnChange = [&] {
        ++changes;
        previous();
    };
    form->txtTerminatedStr->SetText(std::string(1, '\0'));
    EXPECT_EQ(changes, 1);
    form->txtTerminatedStr->SetText("");
    EXPECT_EQ(changes, 1);  // identical text: no change
}

// ---- the row-limit spin edit

TEST_F(MainWindow, SetCountRules) {
    vcl::TSpinEdit* s = form->txtSetCount;
    auto focusOut = [&] {
        QFocusEvent e(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(s, &e);
    };
    struct Case { const char* text; std::int32_t value; const char* afterFocusOut; };
    const Case cases[] = {
        {"", 1, ""}, {"-", 1, "-"}, {"abc", 1, "abc"}, {"0", 0, "1"}, {"-7", -7, "1"},
        {"999999999", 999999999, "999999999"}, {"$10", 16, "$10"}, {" 5", 5, " 5"}, {"42", 42, "42"},
    };
    for (const auto& c : cases) {
        s->SetText(c.text);
        EXPECT_EQ(s->Value(), c.value) << c.text;
        focusOut();
        EXPECT_EQ(s->Text(), c.afterFocusOut) << c.text;
    }
    // Nine characters at most.
    s->SetText("");
    s->Editor()->setFocus();
    QTest::keyClicks(s->Editor(), "1234567890");
    EXPECT_EQ(s->Text(), "123456789");
    // Up and down clamp.
    struct Step { const char* text; int steps; const char* after; };
    const Step steps[] = {{"999999999", 1, "999999999"}, {"1", -1, "1"}, {"abc", 1, "2"}, {"-5", 1, "1"},
                          {"100", 1, "101"}, {"100", -1, "99"}};
    for (const auto& st : steps) {
        s->SetText(st.text);
        s->stepBy(st.steps);
        EXPECT_EQ(s->Text(), st.after) << st.text;
    }
    s->SetText("100");
    QTest::keyClick(s, Qt::Key_Up);
    EXPECT_EQ(s->Text(), "101");
}
