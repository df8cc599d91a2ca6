// The control kinds the main window is made of, over Qt widgets. Texts cross
// this boundary as byte texts in the ANSI code page; a byte limit counts bytes
// of that code page.
#pragma once

#include <QAbstractSpinBox>
#include <QElapsedTimer>
#include <QTimer>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vcl {

using TNotifyEvent = std::function<void()>;

struct TShiftState {
    bool Shift = false;
    bool Alt = false;
    bool Ctrl = false;
    bool operator==(const TShiftState&) const = default;
};
using TKeyEvent = std::function<void(std::uint16_t& key, TShiftState shift)>;

// Places a control at a position and size in its parent's client area.
void SetBounds(QWidget* w, int left, int top, int width, int height);

// Accepts a text only when it encodes in the code page and, with a limit,
// fits in that many bytes.
class ByteLimitValidator : public QValidator {
public:
    explicit ByteLimitValidator(int maxBytes, QObject* parent = nullptr);
    State validate(QString& input, int& pos) const override;
    void setMaxBytes(int n) { maxBytes_ = n; }

private:
    int maxBytes_;  // 0: no limit
};

// Single-line edit. Its byte text is the truth: a text written by the program
// reads back unchanged even where it has no character.
class TEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TEdit(QWidget* parent = nullptr);

    const std::string& Text() const { return bytes_; }
    // A text identical to the box's raises nothing; any other text is taken
    // up to its first NUL and raises OnChange at once, nested in the call.
    void SetText(std::string_view bytes);

    void SetMaxLength(int bytes);
    void SetImeDisabled(bool disabled);

    TNotifyEvent OnChange;

private:
    void userEdited(const QString& text);
    std::string bytes_;
    ByteLimitValidator* validator_;
};

// Multi-line edit.
class TMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TMemo(QWidget* parent = nullptr);

    std::string Text() const;
    void SetText(std::string_view bytes);
    void SelectAll() { selectAll(); }

    TKeyEvent OnKeyDown;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void insertFromMimeData(const QMimeData* source) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
};

// Spin edit: an edit with up and down buttons whose text may be anything;
// a text that does not convert reads as the minimum.
class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    std::string Text() const;
    void SetText(std::string_view bytes);
    // The whole text as an integer, not clamped; the minimum when it does not
    // convert.
    std::int32_t Value() const;
    void SetValue(std::int32_t v);

    std::int32_t MinValue = 0;
    std::int32_t MaxValue = 100;
    std::int32_t Increment = 1;
    void SetMaxLength(int bytes);
    QLineEdit* Editor() const { return lineEdit(); }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    ByteLimitValidator validator_;
};

class TButton : public QPushButton {
    Q_OBJECT
public:
    explicit TButton(QWidget* parent = nullptr);
    void SetCaption(std::string_view bytes);
    std::string Caption() const;
    TNotifyEvent OnClick;
};

class TCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TCheckBox(QWidget* parent = nullptr);
    bool Checked() const { return isChecked(); }
};

class TRadioButton : public QRadioButton {
    Q_OBJECT
public:
    explicit TRadioButton(QWidget* parent = nullptr);
    bool Checked() const { return isChecked(); }
};

class TLabel : public QLabel {
    Q_OBJECT
public:
    explicit TLabel(QWidget* parent = nullptr);
};

// Group box drawn as the platform does: an etched frame whose top edge runs
// through the middle of the caption's line, caption or not.
class TGroupBox : public QWidget {
    Q_OBJECT
public:
    explicit TGroupBox(QWidget* parent = nullptr);
    void SetCaption(const QString& caption);
    QString Caption() const { return caption_; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    QString caption_;
};

// Panel without bevel or caption.
class TPanel : public QWidget {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr);
};

// Status bar with fixed panels; the last one reaches to the right end.
class TStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget* parent = nullptr);
    void SetPanelWidths(std::vector<int> widths);
    int PanelCount() const { return static_cast<int>(texts_.size()); }
    const std::string& PanelText(int i) const { return texts_.at(static_cast<std::size_t>(i)); }
    void SetPanelText(int i, std::string_view bytes);
    // Rectangle of a panel in the bar's coordinates.
    QRect PanelRect(int i) const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    std::vector<int> widths_;
    std::vector<std::string> texts_;
    QWidget* grip_;
    QElapsedTimer sinceRepaint_;
    QTimer* repaintLater_;
};

// A byte text for display: decoded in the code page, bytes that do not decode
// shown as replacement characters.
QString DisplayText(std::string_view bytes);

}  // namespace vcl
