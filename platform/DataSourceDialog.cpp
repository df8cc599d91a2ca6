#include "platform/DataSourceDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/AnsiText.h"
#include "platform/Controls.h"
#include "platform/WindowRecords.h"

namespace vcl {
namespace {

DataSourcePromptFn& currentFn() {
    static DataSourcePromptFn fn;
    return fn;
}

QString u(const char* utf8) { return QString::fromUtf8(utf8); }

std::string toAnsi(const QString& s) { return Utf8ToAnsi(s.toStdString()).value_or(std::string()); }

}  // namespace

std::optional<DataSourceAnswer> ShowDataSourceDialog(HWND owner, const std::vector<DataSourceEntry>& sources) {
    QDialog dlg(WidgetOfHandle(owner));
    dlg.setObjectName("DataSourcePrompt");
    dlg.setWindowTitle(u("データソースの選択"));
    dlg.setWindowModality(Qt::WindowModal);

    auto* layout = new QVBoxLayout(&dlg);
    layout->addWidget(new QLabel(u("接続するデータソースを選んでください。"), &dlg));
    auto* list = new QListWidget(&dlg);
    list->setObjectName("sources");
    for (const auto& s : sources) {
        QString text = DisplayText(s.name);
        if (!s.description.empty()) text += u("  (") + DisplayText(s.description) + u(")");
        text += s.system ? u("  [システム]") : u("  [ユーザー]");
        list->addItem(text);
    }
    if (!sources.empty()) list->setCurrentRow(0);
    layout->addWidget(list);

    auto* form = new QFormLayout;
    auto* user = new QLineEdit(&dlg);
    user->setObjectName("user");
    auto* password = new QLineEdit(&dlg);
    password->setObjectName("password");
    password->setEchoMode(QLineEdit::Password);
    auto* connStr = new QLineEdit(&dlg);
    connStr->setObjectName("connectionString");
    connStr->setPlaceholderText(u("例: Driver=/path/to/driver.so;Database=..."));
    for (QLineEdit* e : {user, password, connStr}) e->setValidator(new ByteLimitValidator(0, e));
    form->addRow(u("ユーザー名:"), user);
    form->addRow(u("パスワード:"), password);
    form->addRow(u("接続文字列:"), connStr);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(&dlg);
    QPushButton* ok = buttons->addButton(u("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(u("キャンセル"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dlg, &QDialog::accept);
    auto updateOk = [&] { ok->setEnabled(list->currentRow() >= 0 || !connStr->text().isEmpty()); };
    QObject::connect(list, &QListWidget::currentRowChanged, &dlg, updateOk);
    QObject::connect(connStr, &QLineEdit::textChanged, &dlg, updateOk);
    updateOk();
    dlg.resize(420, 320);

    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    DataSourceAnswer a;
    a.selected = list->currentRow();
    a.userName = toAnsi(user->text());
    a.password = toAnsi(password->text());
    a.connectionString = toAnsi(connStr->text());
    password->clear();
    return a;
}

DataSourcePromptFn SetDataSourcePromptFn(DataSourcePromptFn fn) {
    DataSourcePromptFn previous = std::move(currentFn());
    currentFn() = std::move(fn);
    return previous;
}

std::optional<DataSourceAnswer> RunDataSourcePrompt(HWND owner, const std::vector<DataSourceEntry>& sources) {
    if (currentFn()) return currentFn()(owner, sources);
    return ShowDataSourceDialog(owner, sources);
}

}  // namespace vcl
