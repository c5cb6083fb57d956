// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Narrator.h"

#include "platform/Buttons.h"
#include "platform/SpokenText.h"
#include "platform/Touch.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QRegularExpression>

namespace platform {

namespace {

// A key whose caption is one kana says it when clicked.
bool IsKanaKey(const QWidget *control)
{
    const auto *key = qobject_cast<const KeyLabel *>(control);
    if (!key || key->caption().size() != 1)
        return false;
    const char16_t c = key->caption().at(0).unicode();
    return (c >= u'ぁ' && c <= u'ゖ') || (c >= u'ァ' && c <= u'ヺ');
}

} // namespace

Narrator::Narrator(QObject *parent) : QObject(parent)
{
    m_rest.setSingleShot(true);
    m_rest.setInterval(RestMs);
    connect(&m_rest, &QTimer::timeout, this, &Narrator::rested);
    qApp->installEventFilter(this);
}

Narrator::~Narrator()
{
    qApp->removeEventFilter(this);
}

void Narrator::setVoice(std::unique_ptr<Voice> voice)
{
    m_voice = std::move(voice);
}

void Narrator::say(const QString &spoken)
{
    if (!m_voice)
        return;
    if (spoken.isEmpty())
        m_voice->stop();
    else
        m_voice->say(spoken);
}

void Narrator::sayTextOf(const QWidget *box, const QString &more, const QStringList &moreReadings)
{
    if (!box || !m_voice)
        return;
    const QString text = box->property("text").toString() + more;
    say(SpokenText(text, ReadingsOf(box) + moreReadings, m_voice->readsKanji()));
}

QString Narrator::CaptionOf(const QWidget *control)
{
    if (!control)
        return {};
    const QVariant caption = control->property(SpokenCaptionProperty);
    if (caption.isValid())
        return caption.toString();
    if (control->property(SpeaksTextProperty).toBool())
        return SpokenText(control->property("text").toString(), ReadingsOf(control));
    if (const auto *key = qobject_cast<const KeyLabel *>(control))
        return key->caption().isEmpty() ? QStringLiteral("すぺーす") : SpokenCaption(key->caption());
    if (const auto *button = qobject_cast<const QAbstractButton *>(control)) {
        static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)|&")); // "(&Q)" or "&"
        QString text = button->text();
        text.remove(mnemonic);
        return SpokenCaption(text);
    }
    return {};
}

bool Narrator::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Enter: {
        auto *control = qobject_cast<QWidget *>(watched);
        if (control && control->isWidgetType() && !CaptionOf(control).isEmpty()) {
            m_resting = control;
            m_rest.start();
        }
        break;
    }
    case QEvent::Leave:
        if (watched == m_resting) {
            m_rest.stop();
            m_resting = nullptr;
        }
        break;
    case QEvent::MouseButtonPress: {
        auto *control = qobject_cast<QWidget *>(watched);
        if (!control)
            break;
        if (control == m_resting)
            m_rest.stop(); // the press acts; the caption is not said afterwards
        m_touchPressed = IsFromTouchOrPen(static_cast<QMouseEvent *>(event));
        if (m_touchPressed) {
            const QString caption = CaptionOf(control);
            if (!caption.isEmpty())
                say(caption);
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto *control = qobject_cast<QWidget *>(watched);
        if (control && !m_touchPressed && IsKanaKey(control)
            && control->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint()))
            say(CaptionOf(control));
        break;
    }
    case QEvent::FocusIn: {
        auto *box = qobject_cast<QWidget *>(watched);
        if (box && box->property(SpeaksTextProperty).toBool()
            && static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason)
            say(CaptionOf(box));
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void Narrator::rested()
{
    if (m_resting && m_resting->isVisible() && m_resting->underMouse())
        say(CaptionOf(m_resting));
    m_resting = nullptr;
}

} // namespace platform
