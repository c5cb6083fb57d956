// SPDX-License-Identifier: GPL-3.0-or-later
#include "input/KanaInputMethod.h"

#include "input/KeyCodes.h"
#include "platform/SpokenText.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCharFormat>
#include <QTextEdit>

namespace platform {

namespace {

bool IsTextBox(const QWidget *widget)
{
    return qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QTextEdit *>(widget)
        || qobject_cast<const QPlainTextEdit *>(widget);
}

// The text box with the input focus, or nullptr when the focus is elsewhere.
QWidget *FocusedTextBox()
{
    QWidget *focused = QApplication::focusWidget();
    for (QWidget *widget = focused; widget; widget = widget->parentWidget()) {
        if (IsTextBox(widget))
            return widget->isEnabled() ? widget : nullptr;
        if (widget->isWindow())
            break;
    }
    return nullptr;
}

// Hands an event straight to the box. It is the input method's doing, not user input, so it
// is not held back while a handler yields: it must reach the box before whatever comes next.
void Deliver(QWidget *box, QEvent *event)
{
    static_cast<QObject *>(box)->event(event);
}

Qt::Key QtKeyOf(std::uint16_t virtualKey)
{
    switch (virtualKey) {
    case vk::Back: return Qt::Key_Backspace;
    case vk::Delete: return Qt::Key_Delete;
    default: return Qt::Key_Return;
    }
}

} // namespace

KanaInputMethod &KanaInputMethod::instance()
{
    static auto *method = new KanaInputMethod(QCoreApplication::instance());
    return *method;
}

void KanaInputMethod::keyDown(std::uint16_t virtualKey, bool shift, bool kanaLock)
{
    QWidget *box = FocusedTextBox();
    if (box != m_box) {
        commit();
        detach();
        attach(box);
    }
    if (!m_box)
        return; // no text box has the focus: the key is lost, as on any desktop
    const KanaComposer::Result result = m_composer.keyDown(virtualKey, shift, kanaLock);
    show(result.commit);
    if (result.forwardKey)
        forward(result.forwardKey);
}

void KanaInputMethod::commit()
{
    if (m_composer.state() == KanaComposer::State::Empty)
        return;
    const QString text = m_composer.commit();
    if (m_box)
        show(text);
}

void KanaInputMethod::attach(QWidget *box)
{
    m_box = box;
    if (!box)
        return;
    box->installEventFilter(this);
    if (auto *area = qobject_cast<QAbstractScrollArea *>(box))
        area->viewport()->installEventFilter(this);
}

void KanaInputMethod::detach()
{
    if (m_box) {
        m_box->removeEventFilter(this);
        if (auto *area = qobject_cast<QAbstractScrollArea *>(m_box.data()))
            area->viewport()->removeEventFilter(this);
    }
    m_box = nullptr;
    if (m_cards)
        m_cards->hide();
}

void KanaInputMethod::show(const QString &commitText)
{
    if (!m_box)
        return;
    const QString preedit = m_composer.text();
    const bool converted = m_composer.state() == KanaComposer::State::Converted;
    QList<QInputMethodEvent::Attribute> attributes;
    if (!preedit.isEmpty()) {
        QTextCharFormat underlined;
        underlined.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        attributes.push_back({QInputMethodEvent::TextFormat, 0, static_cast<int>(preedit.size()), underlined});
        if (converted) {
            // The focused segment stands out from the rest of the conversion.
            QTextCharFormat focused = underlined;
            focused.setBackground(QColor(0xC0, 0xD8, 0xFF));
            focused.setFontUnderline(true);
            attributes.push_back({QInputMethodEvent::TextFormat, m_composer.focusStart(), m_composer.focusLength(), focused});
        }
        attributes.push_back({QInputMethodEvent::Cursor, static_cast<int>(preedit.size()), converted ? 0 : 1, QVariant()});
    }
    QInputMethodEvent event(preedit, attributes);
    event.setCommitString(commitText);
    const QStringList readings = m_composer.takeCommittedReadings();
    if (m_keepReadings && !commitText.isEmpty()) {
        for (qsizetype i = 0; i + 1 < readings.size(); i += 2)
            KeepReading(m_box, readings[i], readings[i + 1]);
    }
    Deliver(m_box, &event);

    if (!m_box)
        return;
    if (converted) {
        QWidget *window = m_box->window();
        if (!m_cards || m_cards->parentWidget() != window) {
            delete m_cards;
            m_cards = new CandidateCards(window);
            connect(m_cards, &CandidateCards::picked, this, &KanaInputMethod::pick);
        }
        const int focus = m_composer.focus();
        m_cards->showFor(m_box, m_composer.segments()[focus].candidates, m_composer.current(focus));
    } else if (m_cards) {
        m_cards->hide();
    }
}

void KanaInputMethod::forward(std::uint16_t virtualKey)
{
    QKeyEvent press(QEvent::KeyPress, QtKeyOf(virtualKey), Qt::NoModifier,
                    virtualKey == vk::Return ? QStringLiteral("\r") : QString());
    QKeyEvent release(QEvent::KeyRelease, QtKeyOf(virtualKey), Qt::NoModifier);
    Deliver(m_box, &press);
    if (m_box)
        Deliver(m_box, &release);
}

// A card of the last segment (or of the only one) takes the conversion, as "ＯＫ" does: a
// child who clicks a word sees it written. A card of an earlier segment picks it and moves on.
void KanaInputMethod::pick(int index)
{
    if (m_composer.pick(index))
        show(m_composer.commit());
    else
        show(QString());
}

bool KanaInputMethod::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::FocusAboutToChange:
    case QEvent::FocusOut:
    case QEvent::Hide:
    case QEvent::MouseButtonPress:
        commit();
        break;
    case QEvent::KeyPress:
        // A key of the desktop's own keyboard: what was composed here goes first.
        if (event->spontaneous())
            commit();
        break;
    case QEvent::InputMethod:
        // The desktop's own input method: what was composed here goes first.
        commit();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void SetInputFocus(QWidget *box)
{
    QWidget *window = box->window();
    if (QApplication::activeWindow() != window) {
        window->activateWindow();
        QApplication::setActiveWindow(window);
    }
    box->setFocus(Qt::OtherFocusReason);
}

void CommitComposition()
{
    KanaInputMethod::instance().commit();
}

} // namespace platform
