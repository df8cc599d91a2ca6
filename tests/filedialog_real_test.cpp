// The real QFileDialog behind GetSaveFileNameA / GetOpenFileNameA, driven on
// the offscreen platform: names typed into the name box, questions answered.
#include <gtest/gtest.h>

#include "support/CodePageScope.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include "dialogs/FileDlgs.h"
#include "platform/AnsiText.h"
#include "platform/CommonDialogs.h"
#include "platform/WindowRecords.h"

namespace {

// Works through modal windows as they come up: each step is offered the
// active modal widget until it says it is done. Polling from a repeating
// timer, since a modal loop may start later than any fixed delay. Every
// action is queued, so that a nested box's own loop runs outside the timer's
// handler. After a time limit every modal window is rejected so a test never
// hangs.
class ModalScript {
public:
    using Step = std::function<bool(QWidget*)>;

    explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start(20);
        clock_.start();
    }

    bool Done() const { return next_ == steps_.size() && !timedOut_; }

private:
    void Tick() {
        QWidget* modal = QApplication::activeModalWidget();
        if (clock_.elapsed() > 15000) {
            timedOut_ = true;
            if (auto* dialog = qobject_cast<QDialog*>(modal)) QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
            return;
        }
        if (modal && next_ < steps_.size() && steps_[next_](modal)) ++next_;
    }

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    bool timedOut_ = false;
    QTimer timer_;
    QElapsedTimer clock_;
};

void Queue(QObject* target, const char* slot) { QMetaObject::invokeMethod(target, slot, Qt::QueuedConnection); }

// Types name into the file dialog's name box and presses its accept button.
ModalScript::Step TypeAndAccept(QString name, QFileDialog** seen = nullptr) {
    return [name, seen](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (!dialog) return false;
        if (seen) *seen = dialog;
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        EXPECT_NE(edit, nullptr);
        if (!edit) return false;
        edit->setText(name);
        Queue(dialog, "accept");
        return true;
    };
}

ModalScript::Step Cancel() {
    return [](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (!dialog) return false;
        Queue(dialog, "reject");
        return true;
    };
}

// Checks the box's text, then presses the button with the given caption.
ModalScript::Step AnswerBox(QString expectedText, QString button, QMessageBox** seen = nullptr) {
    return [=](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box) return false;
        if (seen) *seen = box;
        EXPECT_EQ(box->text().toStdString(), expectedText.toStdString());
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == button) {
                Queue(b, "click");
                return true;
            }
        }
        ADD_FAILURE() << "no button " << button.toStdString();
        Queue(box, "reject");
        return true;
    };
}

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

class RealFileDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        owner.resize(200, 100);
        ownerHandle = vcl::RegisterWindow(&owner);
    }
    void TearDown() override { vcl::UnregisterWindow(ownerHandle); }

    std::string Dir() const { return *vcl::Utf8ToAnsi(dir.path().toStdString()); }
    std::string PathOf(const char* name) const { return Dir() + "/" + name; }
    void MakeFile(const QString& name) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }

    // The dialog as the export sets it up, opened in our directory.
    void SetUpAsTheExport(TFileDlg& dlg) {
        dlg.FileName = "";
        dlg.Filter = vcl::Ansi("すべてのﾌｧｲﾙ|*.*");
        dlg.Options = 4358;
        dlg.InitialDir = Dir();
    }

    QTemporaryDir dir;
    QWidget owner;
    HWND ownerHandle = nullptr;
};

}  // namespace

TEST_F(RealFileDialog, SaveReturnsTheFullPathOfATypedName) {
    TFileDlg dlg(ownerHandle);
    SetUpAsTheExport(dlg);
    QFileDialog* seen = nullptr;
    ModalScript script({TypeAndAccept(QStringLiteral("out"), &seen)});
    ASSERT_TRUE(dlg.Execute());
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(dlg.FileName, PathOf("out"));  // no extension added
    EXPECT_EQ(dlg.Files, std::vector<std::string>{PathOf("out")});
    EXPECT_EQ(dlg.FilterIndex, 1);
    ASSERT_NE(seen, nullptr);
}

TEST_F(RealFileDialog, DialogLooksAsTheExportAsks) {
    TFileDlg dlg(ownerHandle);
    SetUpAsTheExport(dlg);
    ModalScript script({[this](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (!dialog) return false;
        EXPECT_EQ(dialog->parentWidget(), &owner);
        EXPECT_EQ(dialog->windowTitle(), U("名前を付けて保存"));
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        EXPECT_TRUE(types && types->count() == 1 && types->itemText(0) == U("すべてのﾌｧｲﾙ"));
        EXPECT_EQ(dialog->nameFilters(), QStringList{U("すべてのﾌｧｲﾙ (*)")});
        EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(), QString());
        Queue(dialog, "reject");
        return true;
    }});
    EXPECT_FALSE(dlg.Execute());
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(dlg.FileName, "");
    EXPECT_TRUE(dlg.Files.empty());
}

TEST_F(RealFileDialog, OverwriteIsAskedInJapaneseAndNoKeepsTheDialogOpen) {
    MakeFile(QStringLiteral("exists.csv"));
    TFileDlg dlg(ownerHandle);
    SetUpAsTheExport(dlg);
    const QString question = U("exists.csv は既に存在します。\n上書きしますか？");
    ModalScript script({
        TypeAndAccept(QStringLiteral("exists.csv")),
        AnswerBox(question, U("いいえ(&N)")),
        TypeAndAccept(QStringLiteral("exists.csv")),  // still open after No
        AnswerBox(question, U("はい(&Y)")),
    });
    ASSERT_TRUE(dlg.Execute());
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(dlg.FileName, PathOf("exists.csv"));
}

TEST_F(RealFileDialog, OverwriteQuestionDefaultsToNo) {
    MakeFile(QStringLiteral("exists.csv"));
    TFileDlg dlg(ownerHandle);
    SetUpAsTheExport(dlg);
    ModalScript script({
        TypeAndAccept(QStringLiteral("exists.csv")),
        [](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box) return false;
            EXPECT_EQ(box->defaultButton()->text(), U("いいえ(&N)"));
            EXPECT_EQ(box->escapeButton()->text(), U("いいえ(&N)"));
            Queue(box->defaultButton(), "click");
            return true;
        },
        Cancel(),
    });
    EXPECT_FALSE(dlg.Execute());
    EXPECT_TRUE(script.Done());
}

// Names the dialog refuses with a message, staying open; then cancelled.
TEST_F(RealFileDialog, RefusedNames) {
    MakeFile(QStringLiteral("locked.csv"));
    ASSERT_TRUE(QFile::setPermissions(dir.filePath(QStringLiteral("locked.csv")), QFileDevice::ReadOwner));
    struct Case {
        vcl::CodePage cp;
        int mode;
        std::uint32_t options;
        QString typed;
        QString message;
    };
    const std::vector<Case> cases = {
        {vcl::CodePage::Cp932, 2, 4358, U("😀.csv"),
         dir.filePath(U("😀.csv")) +
             U("\nこのファイル名には、この環境の文字コードで表せない文字が含まれています。\n別の名前を指定してください。")},
        {vcl::CodePage::Utf8, 2, 4358, QStringLiteral("locked.csv"), U("locked.csv は読み取り専用です。\n別の名前を指定してください。")},
        {vcl::CodePage::Utf8, 2, 4358, QStringLiteral("nodir/x.csv"),
         dir.filePath(QStringLiteral("nodir")) + U("\nパスが存在しません。\nパスが正しいかどうかを確認してください。")},
        {vcl::CodePage::Utf8, 1, 1u << 9, QStringLiteral("missing.csv"),
         U("missing.csv\nファイルが見つかりません。\nファイル名が正しいかどうかを確認してください。")},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.typed.toStdString());
        CodePageScope scope(k.cp);
        TFileDlg dlg(ownerHandle);
        dlg.Options = k.options;
        dlg.InitialDir = Dir();
        dlg.FileName = "seed";
        ModalScript script({TypeAndAccept(k.typed), AnswerBox(k.message, QStringLiteral("OK")), Cancel()});
        EXPECT_FALSE(dlg.DoExecute(k.mode));
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(dlg.FileName, "seed");
    }
}

TEST_F(RealFileDialog, AnswerLongerThanTheBufferFails) {
    TFileDlg dlg(ownerHandle);
    SetUpAsTheExport(dlg);
    dlg.FileName = "seed";
    const QString longName(250, u'x');
    ASSERT_GT(dir.filePath(longName).size(), 260);
    ModalScript script({TypeAndAccept(longName)});
    EXPECT_FALSE(dlg.Execute());
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(dlg.FileName, "seed");
    EXPECT_TRUE(dlg.Files.empty());
}

TEST_F(RealFileDialog, DefaultExtensionAndItsFeedback) {
    struct Case { const char* typed; const char* chosen; bool different; };
    const Case cases[] = {{"out", "out.csv", false}, {"out.txt", "out.txt", true}, {"OUT.CSV", "OUT.CSV", false}};
    for (const Case& k : cases) {
        TFileDlg dlg(ownerHandle);
        SetUpAsTheExport(dlg);
        dlg.DefaultExt = "csv";
        ModalScript script({TypeAndAccept(QString::fromUtf8(k.typed))});
        ASSERT_TRUE(dlg.Execute());
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(dlg.FileName, PathOf(k.chosen));
        EXPECT_EQ((dlg.Options & TFileDlg::ofExtensionDifferent) != 0, k.different) << k.typed;
    }
}

TEST_F(RealFileDialog, OpenSeveralFiles) {
    MakeFile(QStringLiteral("a.csv"));
    MakeFile(QStringLiteral("b.csv"));
    TFileDlg dlg(ownerHandle);
    dlg.Filter = "CSV|*.csv|Text|*.txt";
    dlg.FilterIndex = 1;
    dlg.Options = TFileDlg::ofAllowMultiSelect | (1u << 9);  // file must exist
    dlg.InitialDir = Dir();
    ModalScript script({TypeAndAccept(QStringLiteral("\"a.csv\" \"b.csv\""))});
    ASSERT_TRUE(dlg.DoExecute(1));
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(dlg.Files, (std::vector<std::string>{PathOf("a.csv"), PathOf("b.csv")}));
    EXPECT_EQ(dlg.FileName, PathOf("a.csv"));
    EXPECT_EQ(dlg.FilterIndex, 1);
}

TEST_F(RealFileDialog, FilterIndexSelectsAndReportsThePair) {
    TFileDlg dlg(ownerHandle);
    dlg.Filter = "CSV|*.csv|Text|*.txt";
    dlg.FilterIndex = 2;
    dlg.InitialDir = Dir();
    ModalScript script({[](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (!dialog) return false;
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        EXPECT_TRUE(types && types->currentIndex() == 1 && types->currentText() == QStringLiteral("Text"));
        EXPECT_EQ(dialog->windowTitle(), U("名前を付けて保存"));
        dialog->selectNameFilter(QStringLiteral("CSV (*.csv)"));
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("x.csv"));
        Queue(dialog, "accept");
        return true;
    }});
    ASSERT_TRUE(dlg.Execute());
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(dlg.FilterIndex, 1);
}

TEST_F(RealFileDialog, OpenWithCreatePromptAndReadOnlyBox) {
    TFileDlg dlg(ownerHandle);
    dlg.Options = 1u << 10;  // create prompt; the read-only box is not hidden
    dlg.InitialDir = Dir();
    ModalScript script({
        [](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (!dialog) return false;
            EXPECT_EQ(dialog->windowTitle(), U("ファイルを開く"));
            QCheckBox* readOnly = nullptr;
            for (auto* box : dialog->findChildren<QCheckBox*>()) {
                if (box->text() == U("読み取り専用ファイルとして開く(&R)")) readOnly = box;
            }
            EXPECT_NE(readOnly, nullptr);
            if (readOnly) {
                EXPECT_FALSE(readOnly->isChecked());
                readOnly->setChecked(true);
            }
            return true;
        },
        TypeAndAccept(QStringLiteral("new.csv")),
        AnswerBox(U("new.csv は存在しません。\n作成しますか？"), U("はい(&Y)")),
    });
    ASSERT_TRUE(dlg.DoExecute(1));
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(dlg.FileName, PathOf("new.csv"));
    EXPECT_EQ(dlg.Options, (1u << 10) | TFileDlg::ofReadOnly);
}
