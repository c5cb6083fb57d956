#include "platform/Controls.h"

#include "pictures/SharpDecode.h"
#include "base/Twips.h"

#include <QApplication>
#include <QFutureWatcher>

#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QStyle>
#include <QTextDocument>

#include <cmath>

namespace platform {

void ApplyColors(QWidget *widget, const QColor &back, const QColor &fore)
{
    QPalette palette = widget->palette();
    if (back.isValid()) {
        for (auto role : {QPalette::Window, QPalette::Button, QPalette::Base})
            palette.setColor(role, back);
    }
    if (fore.isValid()) {
        for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
            palette.setColor(QPalette::Active, role, fore);
            palette.setColor(QPalette::Inactive, role, fore);
        }
    }
    widget->setPalette(palette);
}

namespace {

PointerEvent MakePointerEvent(const QMouseEvent *event)
{
    PointerEvent pointer;
    pointer.button = event->button();
    pointer.buttons = event->buttons();
    pointer.shift = event->modifiers();
    pointer.x = PixelsToTwips(event->position().x());
    pointer.y = PixelsToTwips(event->position().y());
    return pointer;
}

void SetAccessibleCaption(QWidget *widget, const QString &caption)
{
    widget->setAccessibleName(caption.isEmpty() ? widget->objectName() : caption);
}

} // namespace

// ---------------------------------------------------------------------------------------------

CommandButton::CommandButton(QWidget *parent) : Control(parent)
{
    setFocusPolicy(Qt::TabFocus);
}

void CommandButton::setCaption(const QString &caption)
{
    setText(caption);
    SetAccessibleCaption(this, caption);
}

QColor CommandButton::backColor() const
{
    return m_back.isValid() ? m_back : palette().color(QPalette::Button);
}

void CommandButton::setBackColor(const QColor &color)
{
    m_back = color;
    ApplyColors(this, m_back, m_fore);
}

QColor CommandButton::foreColor() const
{
    return m_fore.isValid() ? m_fore : palette().color(QPalette::ButtonText);
}

void CommandButton::setForeColor(const QColor &color)
{
    m_fore = color;
    ApplyColors(this, m_back, m_fore);
}

// ---------------------------------------------------------------------------------------------

Label::Label(QWidget *parent) : Control(parent)
{
    setAutoFillBackground(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
}

void Label::setCaption(const QString &caption)
{
    setText(caption);
    SetAccessibleCaption(this, caption);
}

void Label::setBackColor(const QColor &color)
{
    m_back = color;
    ApplyColors(this, m_back, m_fore);
}

void Label::setForeColor(const QColor &color)
{
    m_fore = color;
    ApplyColors(this, m_back, m_fore);
}

void Label::setBorderStyle(int style)
{
    m_borderStyle = style ? 1 : 0;
    setFrameStyle(m_borderStyle ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
    setLineWidth(1);
}

void Label::mousePressEvent(QMouseEvent *event)
{
    m_pressed = true;
    event->accept();
}

void Label::mouseReleaseEvent(QMouseEvent *event)
{
    const bool inside = rect().contains(event->position().toPoint());
    if (std::exchange(m_pressed, false) && inside)
        emit click(index());
    event->accept();
}

// ---------------------------------------------------------------------------------------------

KeyLabel::KeyLabel(QWidget *parent) : Control(parent)
{
    setAutoFillBackground(true);
    setAlignment(Qt::AlignCenter);
    setTextFormat(Qt::PlainText);
    // Captions too wide for a key ("ひらがな", "こ　もじ") break into lines, between characters.
    setWordWrap(true);
    setLineWidth(2);
    setAppearance(Raised);
}

void KeyLabel::setCaption(const QString &caption)
{
    setText(caption);
    SetAccessibleCaption(this, caption);
}

void KeyLabel::setBackColor(const QColor &color)
{
    m_back = color;
    ApplyColors(this, m_back, QColor(Qt::black));
}

void KeyLabel::setAppearance(int look)
{
    m_look = look == Etched ? Etched : Raised;
    setFrameStyle(m_look == Etched ? (QFrame::Box | QFrame::Sunken) : (QFrame::Panel | QFrame::Raised));
}

void KeyLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = true;
    emit mouseDown(index());
    event->accept();
}

void KeyLabel::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseUp(index());
    const bool inside = rect().contains(event->position().toPoint());
    if (std::exchange(m_pressed, false) && inside)
        emit click(index());
    event->accept();
}

// ---------------------------------------------------------------------------------------------

PictureBox::PictureBox(QWidget *parent) : Control(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setBackColor(const QColor &color)
{
    m_back = color;
    clearSurface();
    update();
}

void PictureBox::setForeColor(const QColor &color)
{
    m_fore = color;
}

void PictureBox::setPicture(const Picture &picture)
{
    m_picture = picture;
    clearSurface();
    update();
}

bool PictureBox::ensureSurface()
{
    const QSize pixels = size() * CaptureDensity;
    if (m_surface.size() == pixels)
        return false;
    m_surface = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_surface.setDevicePixelRatio(CaptureDensity);
    m_surface.fill(Qt::transparent);
    return true;
}

void PictureBox::clearSurface()
{
    if (!ensureSurface())
        m_surface.fill(Qt::transparent);
}

void PictureBox::drawCircle(double x, double y, double radius, const QColor &lineColor, const QColor &fillColor)
{
    ensureSurface();
    QPainter painter(&m_surface);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(lineColor, 1.0));
    painter.setBrush(fillColor);
    const double r = radius / TwipsPerPixel;
    const QPointF centre(x / TwipsPerPixel, y / TwipsPerPixel);
    painter.drawEllipse(centre, r, r);
    const int reach = static_cast<int>(r) + 2;
    update(QRect(centre.toPoint() - QPoint(reach, reach), QSize(2 * reach + 1, 2 * reach + 1)));
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.fillRect(rect(), m_back.isValid() ? m_back : palette().color(QPalette::Base));
    m_picture.drawUnscaled(painter, QPointF(0, 0));
    if (!m_surface.isNull())
        painter.drawImage(QPointF(0, 0), m_surface);
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Hidden widgets get their resize event late; a surface of the right size is kept.
    ensureSurface();
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    // Qt grabs the mouse for the widget a button went down on, so its release comes back here
    // even when the pointer has left the box meanwhile.
    emit mouseDown(MakePointerEvent(event));
    event->accept();
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMove(MakePointerEvent(event));
    event->accept();
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseUp(MakePointerEvent(event));
    event->accept();
}

// ---------------------------------------------------------------------------------------------

ImageControl::ImageControl(QWidget *parent) : Control(parent)
{
    // Moves arrive with or without a button held: the gallery reacts to a pointer passing over.
    setMouseTracking(true);
}

ImageControl::~ImageControl()
{
    dropSharpening();
}

void ImageControl::setPicture(const Picture &picture)
{
    setPicture(picture, QString());
}

void ImageControl::setPicture(const Picture &picture, const QString &path)
{
    dropSharpening();
    m_picture = picture;
    m_source = path;
    m_keepSharp = false;
    m_sharpFailed = false;
    m_screenCopy = QImage();
    update();
}

void ImageControl::setBorderStyle(int style)
{
    m_borderStyle = style ? 1 : 0;
    update();
}

void ImageControl::setKeepSharp(bool keep)
{
    if (keep == m_keepSharp)
        return;
    m_keepSharp = keep;
    if (keep)
        startSharpening();
    else
        dropSharpening();
}

QSize ImageControl::wantedPixels() const
{
    // From the geometry, which a hidden control has too; its resize event comes only when shown.
    return SharpPixels(m_picture, size());
}

bool ImageControl::isSettled() const
{
    return !m_decode && (!m_keepSharp || m_sharpFailed || m_source.isEmpty()
                         || m_picture.kind() != Picture::Kind::Raster
                         || ServesSharply(m_picture, wantedPixels()));
}

void ImageControl::settle()
{
    startSharpening();
    if (m_decode) {
        const std::shared_ptr<SharpDecode> decode = std::exchange(m_decode, nullptr);
        showSharp(decode->result());
    }
}

void ImageControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_screenCopy = QImage();
    // Height and width are set one after the other: one decode for both.
    if (m_keepSharp && !m_askQueued) {
        m_askQueued = true;
        QMetaObject::invokeMethod(this, &ImageControl::askForSharpness, Qt::QueuedConnection);
    }
}

void ImageControl::askForSharpness()
{
    m_askQueued = false;
    startSharpening();
}

// Starts the decode the size asks for, unless the picture serves already or it is on its way.
void ImageControl::startSharpening()
{
    if (!m_keepSharp || m_sharpFailed || m_source.isEmpty() || m_picture.kind() != Picture::Kind::Raster)
        return;
    const QSize want = wantedPixels();
    if (ServesSharply(m_picture, want)) {
        dropSharpening();
        return;
    }
    if (m_decode && m_decode->target() == want)
        return;
    dropSharpening();
    m_decode = SharpDecode::Start(m_source, m_picture, want);
    auto *watcher = new QFutureWatcher<Picture>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, decode = m_decode] {
        watcher->deleteLater();
        if (m_decode == decode) {
            m_decode.reset();
            showSharp(decode->result());
        }
    });
    watcher->setFuture(m_decode->future());
}

void ImageControl::dropSharpening()
{
    if (m_decode)
        std::exchange(m_decode, nullptr)->cancel();
}

void ImageControl::showSharp(const Picture &picture)
{
    if (picture.isEmpty()) {
        m_sharpFailed = true; // the picture shown stays
        return;
    }
    m_picture = picture;
    m_screenCopy = QImage();
    update();
    emit sharpened(index());
}

// The picture at the control's size in device pixels: kept for the screen, made anew for other
// densities (a capture), where a picture decoded for that very size is used as it is.
QImage ImageControl::scaledFor(qreal devicePixelRatio)
{
    const QImage image = m_picture.image();
    const QSize pixels = (QSizeF(size()) * devicePixelRatio).toSize();
    if (image.size() == pixels || pixels.isEmpty())
        return image;
    const bool screen = qFuzzyCompare(devicePixelRatio, devicePixelRatioF());
    if (screen && m_screenCopy.size() == pixels)
        return m_screenCopy;
    QImage scaled = image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(devicePixelRatio);
    if (screen)
        m_screenCopy = scaled;
    return scaled;
}

void ImageControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_picture.kind() == Picture::Kind::Raster) {
        // The device painted on: the screen's backing store, or the image of a capture, which
        // the widget's paint is redirected to.
        const QPaintDevice *device = painter.paintEngine()->paintDevice();
        painter.drawImage(QRectF(rect()), scaledFor(device->devicePixelRatioF()));
    } else {
        m_picture.drawStretched(painter, QRectF(rect()));
    }
    if (m_borderStyle) {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

void ImageControl::mousePressEvent(QMouseEvent *event)
{
    emit mouseDown(index(), MakePointerEvent(event));
    event->accept();
}

void ImageControl::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMove(index(), MakePointerEvent(event));
    event->accept();
}

void ImageControl::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseUp(index(), MakePointerEvent(event));
    event->accept();
}

// ---------------------------------------------------------------------------------------------

RichTextBox::RichTextBox(QWidget *parent) : Control(parent)
{
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAttribute(Qt::WA_InputMethodEnabled);
    setInputMethodHints(Qt::ImhPreferLowercase | Qt::ImhNoPredictiveText);
    viewport()->installEventFilter(this);
    viewport()->setMouseTracking(true);
    // One line of 24 points then needs exactly the standard slot height (615 twips, 41 pixels),
    // border included, so the line never scrolls within a slot of the standard size.
    document()->setDocumentMargin(2);
    setBorderStyle(0);
    const QPalette desktop = QApplication::palette();
    m_back = desktop.color(QPalette::Base);
    m_fore = desktop.color(QPalette::Text);
    ApplyColors(this, m_back, m_fore);
    connect(this, &QTextEdit::textChanged, this, [this] {
        fitToText();
        emit change(index());
    });
}

void RichTextBox::setText(const QString &text)
{
    if (text != toPlainText())
        setPlainText(text);
}

void RichTextBox::setBackColor(const QColor &color)
{
    if (color.isValid())
        m_back = color;
    ApplyColors(this, m_back, m_fore);
}

void RichTextBox::setForeColor(const QColor &color)
{
    if (color.isValid())
        m_fore = color;
    ApplyColors(this, m_back, m_fore);
}

void RichTextBox::setBorderStyle(int style)
{
    m_borderStyle = style ? 1 : 0;
    setFrameStyle(m_borderStyle ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
    setLineWidth(1);
}

void RichTextBox::setFontSize(double points)
{
    m_fontSize = static_cast<float>(points);
    QFont f = font();
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(m_fontSize * 96.0 / 72.0))));
    setFont(f);
}

QSizeF RichTextBox::textSizeTwips() const
{
    // The text laid out on one line per paragraph, as the box shows it, margins included.
    QTextDocument layout;
    layout.setDefaultFont(font());
    layout.setDocumentMargin(document()->documentMargin());
    layout.setPlainText(toPlainText());
    const QSizeF needed = layout.size();
    const double border = 2.0; // one pixel each side
    const double height = std::ceil(needed.height()) + border;
    // An empty box stays a square one line high, so that it can still be taken hold of.
    const double width = std::max(std::ceil(needed.width()) + border, height);
    return {PixelsToTwips(width), PixelsToTwips(height)};
}

void RichTextBox::fitToText()
{
    const QSizeF size = textSizeTwips();
    setTwipsGeometry(twipsLeft(), twipsTop(), size.width(), size.height());
}

bool RichTextBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != viewport())
        return Control::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove: {
        // Positions are reported relative to the text box itself, border included.
        auto *mouse = static_cast<QMouseEvent *>(event);
        PointerEvent pointer = MakePointerEvent(mouse);
        const QPointF offset = viewport()->mapTo(this, QPointF(0, 0));
        pointer.x += PixelsToTwips(offset.x());
        pointer.y += PixelsToTwips(offset.y());
        const bool press = event->type() == QEvent::MouseButtonPress;
        const bool dragging = press ? mouse->button() != Qt::LeftButton : mouse->buttons() != Qt::NoButton;
        if (press)
            emit mouseDown(index(), pointer);
        else
            emit mouseMove(index(), pointer);
        // A left press still places the caret; nothing else of the text box's own mouse
        // handling runs while a button is held, since the box is being dragged.
        return dragging;
    }
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        // The middle button would paste the desktop's selection on its release.
        return static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton;
    case QEvent::ContextMenu:
        return true;
    default:
        return Control::eventFilter(watched, event);
    }
}

// ---------------------------------------------------------------------------------------------

PlainTextBox::PlainTextBox(QWidget *parent) : Control(parent)
{
    setAttribute(Qt::WA_InputMethodEnabled);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

// ---------------------------------------------------------------------------------------------

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget *parent) : Control(parent)
{
    setOrientation(orientation);
    connect(this, &QScrollBar::valueChanged, this, &ScrollBar::change);
}

// ---------------------------------------------------------------------------------------------

CheckBox::CheckBox(QWidget *parent) : Control(parent)
{
    setAutoFillBackground(true);
}

void CheckBox::setCaption(const QString &caption)
{
    // The box is too small to show its caption; the label beside it says what it does.
    m_caption = caption;
    SetAccessibleCaption(this, caption);
}

void CheckBox::setBackColor(const QColor &color)
{
    m_back = color;
    ApplyColors(this, m_back, QColor());
}

// ---------------------------------------------------------------------------------------------

Timer::Timer(QObject *parent) : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &Timer::tick);
}

void Timer::setEnabled(bool enabled)
{
    if (enabled)
        m_timer.start();
    else
        m_timer.stop();
}

} // namespace platform
