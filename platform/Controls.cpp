#include "platform/Controls.h"

#include <QEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QSizeGrip>
#include <QStyleOptionFrame>

#include "platform/AnsiText.h"
#include "platform/Application.h"
#include "platform/SysUtils.h"

namespace vcl {
namespace {

bool encodes(const QString& s) { return Utf8ToAnsi(s.toStdString()).has_value(); }

std::string toAnsiOrEmpty(const QString& s) {
    auto b = Utf8ToAnsi(s.toStdString());
    return b ? *b : std::string();
}

}  // namespace

QString DisplayText(std::string_view bytes) { return QString::fromStdString(AnsiToUtf8(bytes)); }

void SetBounds(QWidget* w, int left, int top, int width, int height) { w->setGeometry(left, top, width, height); }

// ---- ByteLimitValidator

ByteLimitValidator::ByteLimitValidator(int maxBytes, QObject* parent) : QValidator(parent), maxBytes_(maxBytes) {}

QValidator::State ByteLimitValidator::validate(QString& input, int&) const {
    auto b = Utf8ToAnsi(input.toStdString());
    if (!b) return Invalid;
    if (maxBytes_ > 0 && static_cast<int>(b->size()) > maxBytes_) return Invalid;
    return Acceptable;
}

// ---- TEdit

TEdit::TEdit(QWidget* parent) : QLineEdit(parent), validator_(new ByteLimitValidator(0, this)) {
    setValidator(validator_);
    connect(this, &QLineEdit::textEdited, this, &TEdit::userEdited);
}

void TEdit::SetText(std::string_view bytes) {
    if (bytes == bytes_) return;
    // A box holds no NUL: the text ends at the first one. The write still
    // counts as a change, since it differed from the box's text.
    std::string_view kept = bytes.substr(0, bytes.find('\0'));
    bytes_.assign(kept);
    {
        QSignalBlocker block(this);
        setText(DisplayText(bytes_));
    }
    if (OnChange) OnChange();
}

void TEdit::userEdited(const QString& text) {
    // The validator has refused what does not encode or does not fit.
    bytes_ = toAnsiOrEmpty(text);
    InvokeHandler(OnChange);
}

void TEdit::SetMaxLength(int bytes) { validator_->setMaxBytes(bytes); }

void TEdit::SetImeDisabled(bool disabled) { setAttribute(Qt::WA_InputMethodEnabled, !disabled); }

// ---- TMemo

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(false);
}

std::string TMemo::Text() const { return toAnsiOrEmpty(toPlainText()); }

void TMemo::SetText(std::string_view bytes) { setPlainText(DisplayText(bytes)); }

void TMemo::keyPressEvent(QKeyEvent* e) {
    if (OnKeyDown) {
        std::uint16_t key = static_cast<std::uint16_t>(e->key() & 0xFFFF);
        TShiftState shift;
        shift.Shift = e->modifiers().testFlag(Qt::ShiftModifier);
        shift.Alt = e->modifiers().testFlag(Qt::AltModifier);
        shift.Ctrl = e->modifiers().testFlag(Qt::ControlModifier);
        InvokeHandler([&] { OnKeyDown(key, shift); });
        if (key == 0) return;  // the handler consumed the key
    }
    // A typed character that has no encoding in the code page is refused.
    if (!e->text().isEmpty() && !encodes(e->text())) return;
    QPlainTextEdit::keyPressEvent(e);
}

void TMemo::insertFromMimeData(const QMimeData* source) {
    if (source->hasText() && !encodes(source->text())) return;
    QPlainTextEdit::insertFromMimeData(source);
}

void TMemo::inputMethodEvent(QInputMethodEvent* e) {
    if (!e->commitString().isEmpty() && !encodes(e->commitString())) {
        QInputMethodEvent empty;
        QPlainTextEdit::inputMethodEvent(&empty);
        return;
    }
    QPlainTextEdit::inputMethodEvent(e);
}

// ---- TSpinEdit

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent), validator_(0) {
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
}

std::string TSpinEdit::Text() const { return toAnsiOrEmpty(lineEdit()->text()); }

void TSpinEdit::SetText(std::string_view bytes) { lineEdit()->setText(DisplayText(bytes)); }

std::int32_t TSpinEdit::Value() const { return StrToIntDef(Text(), MinValue); }

void TSpinEdit::SetValue(std::int32_t v) { SetText(IntToStr(v)); }

void TSpinEdit::SetMaxLength(int bytes) { validator_.setMaxBytes(bytes); }

void TSpinEdit::stepBy(int steps) {
    std::int64_t v = static_cast<std::int64_t>(Value()) + static_cast<std::int64_t>(steps) * Increment;
    v = std::clamp<std::int64_t>(v, MinValue, MaxValue);
    SetValue(static_cast<std::int32_t>(v));
    lineEdit()->selectAll();
}

QValidator::State TSpinEdit::validate(QString& input, int& pos) const { return validator_.validate(input, pos); }

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const {
    if (isReadOnly()) return StepNone;
    return StepUpEnabled | StepDownEnabled;
}

void TSpinEdit::focusOutEvent(QFocusEvent* e) {
    QAbstractSpinBox::focusOutEvent(e);
    // A number outside the range is replaced by the nearer bound; a text that
    // does not convert stays as it is.
    std::int32_t v;
    if (TryStrToInt(Text(), v)) {
        if (v < MinValue) SetValue(MinValue);
        else if (v > MaxValue) SetValue(MaxValue);
    }
}

// ---- buttons, boxes, labels

TButton::TButton(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false);
    setDefault(false);
    connect(this, &QPushButton::clicked, this, [this] { InvokeHandler(OnClick); });
}

void TButton::SetCaption(std::string_view bytes) { setText(DisplayText(bytes)); }

std::string TButton::Caption() const { return toAnsiOrEmpty(text()); }

TCheckBox::TCheckBox(QWidget* parent) : QCheckBox(parent) {}
TRadioButton::TRadioButton(QWidget* parent) : QRadioButton(parent) {}
TLabel::TLabel(QWidget* parent) : QLabel(parent) { setAlignment(Qt::AlignLeft | Qt::AlignTop); }

TGroupBox::TGroupBox(QWidget* parent) : QWidget(parent) {}

void TGroupBox::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TGroupBox::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange || e->type() == QEvent::EnabledChange) update();
    QWidget::changeEvent(e);
}

void TGroupBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFontMetrics fm(font());
    const int top = fm.height() / 2;
    const QRect r = rect();
    const QColor dark = palette().color(QPalette::Mid);
    const QColor light = palette().color(QPalette::Light);
    // Etched frame: a dark line with a light one inside and below it.
    p.setPen(dark);
    p.drawRect(r.left(), top, r.width() - 2, r.height() - top - 2);
    p.setPen(light);
    p.drawRect(r.left() + 1, top + 1, r.width() - 2, r.height() - top - 2);
    if (!caption_.isEmpty()) {
        const int x = 8;
        const int w = fm.horizontalAdvance(caption_) + 4;
        p.fillRect(x - 2, 0, w, fm.height(), palette().color(QPalette::Window));
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        p.drawText(QRect(x, 0, w, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, caption_);
    }
}

TPanel::TPanel(QWidget* parent) : QWidget(parent) {}

// ---- TStatusBar

constexpr int kRepaintEveryMs = 16;

TStatusBar::TStatusBar(QWidget* parent)
    : QWidget(parent), grip_(new QSizeGrip(this)), repaintLater_(new QTimer(this)) {
    SetPanelWidths({50});
    repaintLater_->setSingleShot(true);
    repaintLater_->setInterval(kRepaintEveryMs);
    connect(repaintLater_, &QTimer::timeout, this, [this] { update(); });
    sinceRepaint_.start();
}

void TStatusBar::SetPanelWidths(std::vector<int> widths) {
    widths_ = std::move(widths);
    texts_.assign(widths_.size(), std::string());
    update();
}

void TStatusBar::SetPanelText(int i, std::string_view bytes) {
    texts_.at(static_cast<std::size_t>(i)).assign(bytes);
    // Painted at once, so that a running export shows its count even between
    // two dispatches of messages; but not more often than the eye can follow:
    // a text that comes sooner is painted by the timer at the next dispatch.
    if (sinceRepaint_.elapsed() >= kRepaintEveryMs) {
        repaintLater_->stop();
        repaint(PanelRect(i));
        sinceRepaint_.restart();
    } else if (!repaintLater_->isActive()) {
        repaintLater_->start();
    }
}

QRect TStatusBar::PanelRect(int i) const {
    int x = 0;
    for (int k = 0; k < i; ++k) x += widths_[static_cast<std::size_t>(k)] + 2;
    int w = widths_[static_cast<std::size_t>(i)];
    if (i == PanelCount() - 1) w = width() - x;
    return QRect(x, 2, std::max(0, w), height() - 2);
}

void TStatusBar::resizeEvent(QResizeEvent*) {
    const int g = height();
    grip_->setGeometry(width() - g, 0, g, g);
}

void TStatusBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor dark = palette().color(QPalette::Mid);
    const QColor light = palette().color(QPalette::Light);
    for (int i = 0; i < PanelCount(); ++i) {
        QRect r = PanelRect(i);
        if (i == PanelCount() - 1) r.setRight(r.right() - height());
        // Sunken: dark top and left, light bottom and right.
        p.setPen(dark);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(light);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r.adjusted(3, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   DisplayText(texts_[static_cast<std::size_t>(i)]));
    }
}

}  // namespace vcl
