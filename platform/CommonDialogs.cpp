#include "platform/CommonDialogs.h"

#include <dlfcn.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/AnsiText.h"
#include "platform/WindowRecords.h"

namespace vcl {
namespace {

FileDialogFn& currentFn() {
    static FileDialogFn fn;
    return fn;
}

QString FromAnsi(std::string_view ansi) { return QString::fromStdString(AnsiToUtf8(ansi)); }

// A path as a byte text of the code page, or nothing when it has no exact
// form there. U+FFFD stands for bytes of a file name that did not decode;
// handing it back would name another file.
std::optional<std::string> PathToAnsi(const QString& path) {
    if (path.contains(QChar::ReplacementCharacter)) return std::nullopt;
    return Utf8ToAnsi(path.toStdString());
}

struct FilterPair {
    QString description;
    QString patterns;  // in QFileDialog's form: space-separated
};

// "description\0pattern\0...\0\0". Reading stops at the first empty
// description, and before a description whose pattern would lie past the
// closing NUL, so nothing beyond the list is ever read.
std::vector<FilterPair> ReadFilterList(const char* p) {
    std::vector<FilterPair> pairs;
    if (!p) return pairs;
    while (*p) {
        const char* description = p;
        p += std::strlen(p) + 1;
        if (!*p) break;
        const char* pattern = p;
        p += std::strlen(p) + 1;
        QStringList qtPatterns;
        for (const QString& one : FromAnsi(pattern).split(u';', Qt::SkipEmptyParts)) {
            QString trimmed = one.trimmed();
            // "*.*" means every file, those without a dot too; Qt would read it literally.
            qtPatterns << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
        }
        pairs.push_back({FromAnsi(description), qtPatterns.join(u' ')});
    }
    return pairs;
}

bool IsReadOnlyFile(const QFileInfo& info) {
    // Root may write anything, so a file without any write bit counts as
    // read-only as well.
    constexpr auto anyWriteBit = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return !info.isWritable() || !(info.permissions() & anyWriteBit);
}

bool AsciiEqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The name part of a path and its extension (without the dot; empty when
// the name has none).
std::string_view NameOf(std::string_view path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}
std::string_view ExtensionOf(std::string_view name) {
    std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

// The chosen files as the record's answer: one full name and a NUL; in a
// multi-selection dialog with several names, the directory, NUL, each name
// (a full path when it lies elsewhere), NUL, and a closing NUL.
std::string ComposeAnswer(const QStringList& files, bool multiSelect, WORD& fileOffset) {
    std::string answer;
    if (files.size() == 1) {
        answer = *PathToAnsi(files.first());
        std::size_t slash = answer.rfind('/');
        fileOffset = static_cast<WORD>(slash == std::string::npos ? 0 : slash + 1);
        answer.push_back('\0');
        if (multiSelect) answer.push_back('\0');
        return answer;
    }
    const QString dir = QFileInfo(files.first()).absolutePath();
    answer = *PathToAnsi(dir);
    answer.push_back('\0');
    fileOffset = static_cast<WORD>(answer.size());
    for (const QString& file : files) {
        QFileInfo info(file);
        answer += *PathToAnsi(info.absolutePath() == dir ? info.fileName() : info.absoluteFilePath());
        answer.push_back('\0');
    }
    answer.push_back('\0');
    return answer;
}

// Japanese texts of the dialog.
QString Tr(const char* utf8) { return QString::fromUtf8(utf8); }

class StandInFileDialog : public QFileDialog {
public:
    StandInFileDialog(QWidget* parent, FileDialogKind kind, DWORD flags)
        : QFileDialog(parent), kind_(kind), flags_(flags) {
        setOption(QFileDialog::DontUseNativeDialog);
        setOption(QFileDialog::HideNameFilterDetails);
        // The questions are ours, in Japanese (accept below).
        setOption(QFileDialog::DontConfirmOverwrite);
        if (flags & OFN_NODEREFERENCELINKS) setOption(QFileDialog::DontResolveSymlinks);
        const bool save = kind == FileDialogKind::Save;
        setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        if (!save && (flags & OFN_ALLOWMULTISELECT)) setFileMode(QFileDialog::ExistingFiles);
        else if (!save && (flags & OFN_FILEMUSTEXIST)) setFileMode(QFileDialog::ExistingFile);
        else setFileMode(QFileDialog::AnyFile);
        // The look-in label has no buddy, so it takes no mnemonic.
        setLabelText(QFileDialog::LookIn, save ? Tr("保存する場所:") : Tr("ファイルの場所:"));
        setLabelText(QFileDialog::FileName, Tr("ファイル名(&N):"));
        setLabelText(QFileDialog::FileType, Tr("ファイルの種類(&T):"));
        setLabelText(QFileDialog::Accept, save ? Tr("保存(&S)") : Tr("開く(&O)"));
        setLabelText(QFileDialog::Reject, Tr("キャンセル"));
        if (!save && !(flags & OFN_HIDEREADONLY)) AddReadOnlyBox(flags & OFN_READONLY);
    }

    // Valid after the dialog was accepted.
    const QStringList& Chosen() const { return chosen_; }
    bool ReadOnlyShown() const { return readOnly_ != nullptr; }
    bool ReadOnlyChecked() const { return readOnly_ && readOnly_->isChecked(); }

    int SelectedFilter() const {
        if (auto* combo = findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) return combo->currentIndex();
        return static_cast<int>(nameFilters().indexOf(selectedNameFilter()));
    }

    void SelectFilter(int index) {
        selectNameFilter(nameFilters().at(index));
        if (auto* combo = findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) combo->setCurrentIndex(index);
    }

    void accept() override {
        const QStringList files = selectedFiles();
        if (files.isEmpty()) return;
        for (const QString& file : files) {
            // A directory (or "..") typed into the name box is entered, as QFileDialog does.
            if (QFileInfo(file).isDir()) {
                QFileDialog::accept();
                return;
            }
        }
        for (const QString& file : files) {
            if (!Acceptable(file, files.size() == 1)) return;
        }
        chosen_ = files;
        QDialog::accept();
    }

private:
    void AddReadOnlyBox(bool checked) {
        auto* grid = qobject_cast<QGridLayout*>(layout());
        if (!grid) return;
        readOnly_ = new QCheckBox(Tr("読み取り専用ファイルとして開く(&R)"), this);
        readOnly_->setChecked(checked);
        grid->addWidget(readOnly_, grid->rowCount(), 1);
    }

    void Warn(const QString& text) {
        QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }

    // No is the default: Enter alone never replaces a file.
    bool Ask(const QString& text) {
        QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::NoButton, this);
        box.setTextFormat(Qt::PlainText);
        QPushButton* yes = box.addButton(Tr("はい(&Y)"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(Tr("いいえ(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    }

    bool Acceptable(const QString& file, bool single) {
        const QFileInfo info(file);
        const QString name = info.fileName();
        if (!PathToAnsi(info.absoluteFilePath())) {
            Warn(Tr("%1\nこのファイル名には、この環境の文字コードで表せない文字が含まれています。\n別の名前を指定してください。")
                     .arg(info.absoluteFilePath()));
            return false;
        }
        if ((flags_ & OFN_PATHMUSTEXIST) && !QFileInfo(info.absolutePath()).isDir()) {
            Warn(Tr("%1\nパスが存在しません。\nパスが正しいかどうかを確認してください。").arg(info.absolutePath()));
            return false;
        }
        const bool exists = info.exists();
        if ((flags_ & OFN_FILEMUSTEXIST) && !exists) {
            Warn(Tr("%1\nファイルが見つかりません。\nファイル名が正しいかどうかを確認してください。").arg(name));
            return false;
        }
        if ((flags_ & OFN_NOREADONLYRETURN) && exists && IsReadOnlyFile(info)) {
            Warn(Tr("%1 は読み取り専用です。\n別の名前を指定してください。").arg(name));
            return false;
        }
        if (!single) return true;
        if (kind_ == FileDialogKind::Save && exists && (flags_ & OFN_OVERWRITEPROMPT)) {
            return Ask(Tr("%1 は既に存在します。\n上書きしますか？").arg(name));
        }
        if (!exists && (flags_ & OFN_CREATEPROMPT)) {
            return Ask(Tr("%1 は存在しません。\n作成しますか？").arg(name));
        }
        return true;
    }

    FileDialogKind kind_;
    DWORD flags_;
    QCheckBox* readOnly_ = nullptr;
    QStringList chosen_;
};

bool RecordUsable(const OPENFILENAMEA* ofn) {
    return ofn && (ofn->lStructSize == OPENFILENAME_SIZE_VERSION_400A || ofn->lStructSize == sizeof(OPENFILENAMEA)) &&
           ofn->lpstrFile && ofn->nMaxFile > 0;
}

void SetupDialog(StandInFileDialog& dialog, const OPENFILENAMEA& ofn, FileDialogKind kind) {
    const bool save = kind == FileDialogKind::Save;
    const QString title = ofn.lpstrTitle ? FromAnsi(ofn.lpstrTitle) : QString();
    dialog.setWindowTitle(!title.isEmpty() ? title : save ? Tr("名前を付けて保存") : Tr("ファイルを開く"));

    const std::vector<FilterPair> pairs = ReadFilterList(ofn.lpstrFilter);
    if (!pairs.empty()) {
        QStringList filters;
        for (const FilterPair& pair : pairs) filters << QStringLiteral("%1 (%2)").arg(pair.description, pair.patterns);
        dialog.setNameFilters(filters);
        const DWORD index = ofn.nFilterIndex;
        dialog.SelectFilter(index >= 1 && index <= pairs.size() ? static_cast<int>(index) - 1 : 0);
    }

    if (ofn.lpstrInitialDir && *ofn.lpstrInitialDir) dialog.setDirectory(FromAnsi(ofn.lpstrInitialDir));
    if (ofn.lpstrDefExt && *ofn.lpstrDefExt) dialog.setDefaultSuffix(FromAnsi(ofn.lpstrDefExt));
    const std::string_view initialName(ofn.lpstrFile, strnlen(ofn.lpstrFile, ofn.nMaxFile));
    if (!initialName.empty()) dialog.selectFile(FromAnsi(initialName));
}

}  // namespace

BOOL GetOpenFileNameA(OPENFILENAMEA* ofn) {
    if (currentFn()) return currentFn()(ofn, FileDialogKind::Open);
    return ShowRealFileDialog(ofn, FileDialogKind::Open);
}

BOOL GetSaveFileNameA(OPENFILENAMEA* ofn) {
    if (currentFn()) return currentFn()(ofn, FileDialogKind::Save);
    return ShowRealFileDialog(ofn, FileDialogKind::Save);
}

FileDialogFn SetFileDialogFn(FileDialogFn fn) {
    FileDialogFn previous = std::move(currentFn());
    currentFn() = std::move(fn);
    return previous;
}

HINSTANCE MainInstance() {
    static const HINSTANCE instance = dlopen(nullptr, RTLD_LAZY);
    return instance;
}

BOOL ShowRealFileDialog(OPENFILENAMEA* ofn, FileDialogKind kind) {
    if (!RecordUsable(ofn) || !qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;

    const bool multiSelect = kind == FileDialogKind::Open && (ofn->Flags & OFN_ALLOWMULTISELECT);
    StandInFileDialog dialog(WidgetOfHandle(ofn->hwndOwner), kind, ofn->Flags);
    SetupDialog(dialog, *ofn, kind);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted || dialog.Chosen().isEmpty()) return 0;

    WORD fileOffset = 0;
    const std::string answer = ComposeAnswer(dialog.Chosen(), multiSelect, fileOffset);
    if (answer.size() > ofn->nMaxFile) return 0;
    std::memcpy(ofn->lpstrFile, answer.data(), answer.size());

    const std::string first = *PathToAnsi(dialog.Chosen().first());
    const std::string_view name = NameOf(first);
    const std::string_view extension = ExtensionOf(name);
    ofn->nFileOffset = fileOffset;
    ofn->nFileExtension = 0;
    if (dialog.Chosen().size() == 1 && !extension.empty()) {
        ofn->nFileExtension = static_cast<WORD>(first.size() - extension.size());
    }
    if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > 0) {
        if (name.size() < ofn->nMaxFileTitle) {
            std::memcpy(ofn->lpstrFileTitle, name.data(), name.size());
            ofn->lpstrFileTitle[name.size()] = '\0';
        } else {
            ofn->lpstrFileTitle[0] = '\0';
        }
    }

    if (dialog.ReadOnlyShown()) {
        ofn->Flags = dialog.ReadOnlyChecked() ? (ofn->Flags | OFN_READONLY) : (ofn->Flags & ~OFN_READONLY);
    }
    ofn->Flags &= ~OFN_EXTENSIONDIFFERENT;
    if (ofn->lpstrDefExt && !AsciiEqualNoCase(extension, ofn->lpstrDefExt)) ofn->Flags |= OFN_EXTENSIONDIFFERENT;
    if (!dialog.nameFilters().isEmpty()) ofn->nFilterIndex = static_cast<DWORD>(dialog.SelectedFilter() + 1);
    return 1;
}

}  // namespace vcl
