// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/Scan.h"

#include "access/Carry.h"
#include "access/ScanLight.h"
#include "form/Form1.h"
#include "form/Poster.h"
#include "platform/Narrator.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QAbstractItemView>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QScopeGuard>

#include <cmath>

namespace accessibility {

namespace {

// The scan's own choices lie over the side panel, from its top, in logical pixels of the client.
constexpr QPoint OwnChoicesAt{736, 160};
constexpr QSize OwnChoiceSize{240, 64};
constexpr int OwnChoiceGap = 24;
// The moves that take what is carried to its place, as a hand would in a short drag.
constexpr int CarrySteps = 8;

bool IsSwitchKey(int key)
{
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

Scanner::Scanner(Form1 &form, CarryFilter &carry, platform::Narrator *narrator, QObject *parent)
    : QObject(parent),
      m_form(form),
      m_carry(carry),
      m_narrator(narrator),
      m_switches(settings::Current().scan),
      m_stepMs(int(std::lround(settings::Current().scanInterval * 1000))),
      m_loops(settings::Current().scanLoops)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Scanner::step);
    m_hold.setSingleShot(true);
    m_hold.setInterval(HoldMs);
    connect(&m_hold, &QTimer::timeout, this, &Scanner::heldLong);
    qApp->installEventFilter(this);
    // The light starts once the program has shown its window.
    QTimer::singleShot(0, this, [this] { offerControls({}); });
}

Scanner::~Scanner()
{
    delete m_light;
    clearOwn();
}

void Scanner::setTimes(int stepMs, int firstExtraMs)
{
    m_stepMs = stepMs;
    m_extraMs = firstExtraMs;
}

const ScanChoice *Scanner::lit() const
{
    if (m_phase != Phase::Choices || m_resting || m_lit < 0 || m_lit >= level().choices.size())
        return nullptr;
    return &level().choices[m_lit];
}

QWidget *Scanner::light() const
{
    return m_light && m_light->isVisible() ? m_light.data() : nullptr;
}

QWidget *Scanner::currentWindow() const
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    // A window of the main window's own lies over it (the registration window, the colour
    // picker): it comes first, whether or not the desktop made it active.
    QWidget *over = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->parentWidget() == &m_form && top->isVisible() && top->isWindow())
            over = top;
    }
    if (over)
        return over;
    QWidget *active = QApplication::activeWindow();
    return active && active->isVisible() ? active : &m_form;
}

const ScanChoice &Scanner::level() const
{
    const ScanChoice *node = &m_root;
    for (int index : m_path)
        node = &node->choices[index];
    return *node;
}

QStringList Scanner::pathIds(qsizetype depth) const
{
    QStringList ids;
    const ScanChoice *node = &m_root;
    for (qsizetype k = 0; k < depth && k < m_path.size(); ++k) {
        node = &node->choices[m_path[k]];
        ids.append(node->id);
    }
    return ids;
}

void Scanner::offerControls(const QStringList &path, const QString &lit)
{
    clearOwn();
    m_offer = Offer::Controls;
    m_phase = Phase::Choices;
    m_window = currentWindow();
    rebuild(path);
    m_rounds = 0;
    const QList<ScanChoice> &choices = level().choices;
    const auto found = std::find_if(choices.begin(), choices.end(), [&](const ScanChoice &c) { return c.id == lit; });
    lightUp(found == choices.end() ? 0 : int(found - choices.begin()));
}

void Scanner::rebuild(const QStringList &path)
{
    m_root = ChoicesOf(m_window, m_form);
    // Back into the groups the path names, as far as the window still has them.
    m_path.clear();
    for (const QString &id : path) {
        const QList<ScanChoice> &choices = level().choices;
        const auto found = std::find_if(choices.begin(), choices.end(), [&](const ScanChoice &c) { return c.id == id; });
        if (found == choices.end() || found->kind != ScanChoice::Kind::Group)
            break;
        m_path.append(int(found - choices.begin()));
    }
}

void Scanner::startRound()
{
    // Among a window's controls each round offers them afresh: what came meanwhile (the items
    // of a dialog's list, read a moment after it opened) is offered too.
    if (m_offer == Offer::Controls && m_phase == Phase::Choices && m_window)
        rebuild(pathIds(m_path.size()));
    lightUp(0);
}

void Scanner::offerPlaces()
{
    m_offer = Offer::Places;
    m_phase = Phase::Choices;
    m_window = &m_form;
    m_root = PlacesOn(PaperRect(m_form));
    m_path.clear();
    // What lies on the poster already, and a text, can be put down where it is: it is then the
    // one the size buttons act on, as after a click on it. A picture from the gallery cannot.
    const auto *picture = qobject_cast<const platform::ImageControl *>(m_carry.carried());
    if (picture && !Poster::IsPlaced(*picture))
        offerOwn({{QStringLiteral("cancel"), QStringLiteral("やめる")}});
    else
        offerOwn({{QStringLiteral("here"), QStringLiteral("このまま")}, {QStringLiteral("cancel"), QStringLiteral("やめる")}});
}

void Scanner::offerOwn(const QList<QPair<QString, QString>> &choices)
{
    clearOwn();
    QPoint at = m_form.client()->mapTo(&m_form, OwnChoicesAt);
    for (const auto &[id, caption] : choices) {
        auto *own = new ScanOwnChoice(caption, &m_form);
        own->setGeometry(QRect(at, OwnChoiceSize));
        own->show();
        own->raise();
        m_own.append(own);
        at.ry() += OwnChoiceSize.height() + OwnChoiceGap;
        ScanChoice choice;
        choice.kind = ScanChoice::Kind::Own;
        choice.id = id;
        choice.caption = caption;
        choice.rect = QRect(own->mapToGlobal(QPoint(0, 0)), own->size());
        m_root.choices.append(choice);
    }
    m_phase = Phase::Choices;
    m_rounds = 0;
    lightUp(0);
}

void Scanner::clearOwn()
{
    for (const QPointer<ScanOwnChoice> &own : std::as_const(m_own))
        delete own.data();
    m_own.clear();
}

void Scanner::restartTimer(int index)
{
    if (m_switches != 1)
        return;
    // A step the timer made is timed from when it was due, not from when it came, so that a
    // late step does not make the next late too.
    const qint64 now = m_clock.elapsed();
    const qint64 from = m_stepping && m_due > 0 ? m_due : now;
    m_due = from + (index == 0 ? m_stepMs + m_extraMs : m_stepMs);
    m_timer.start(int(std::max<qint64>(0, m_due - now)));
}

void Scanner::lightUp(int index)
{
    m_timer.stop();
    const bool sweeping = m_phase != Phase::Choices;
    const qsizetype count = sweeping ? SweepSteps : level().choices.size();
    if (index < 0 || index >= count) {
        rest();
        return;
    }
    m_resting = false;
    if (!m_window) // the window went while the light was on it
        m_window = currentWindow();
    if (!m_light || m_light->parentWidget() != m_window) {
        delete m_light;
        m_light = new ScanLight(m_window);
    }
    if (sweeping) {
        m_step = index;
        m_light->lightUp(lineRect(), ScanLight::Shape::Line);
    } else {
        m_lit = index;
        const ScanChoice &choice = level().choices[index];
        m_light->lightUp(choice.rect, ScanLight::Shape::Frame);
        if (m_narrator)
            m_narrator->say(choice.caption);
    }
    restartTimer(index);
    emit lightMoved();
}

void Scanner::rest()
{
    m_timer.stop();
    m_resting = true;
    m_lit = -1;
    if (m_light)
        m_light->hide();
    emit lightMoved();
}

QRect Scanner::lineRect() const
{
    // The middles of equal bands of the paper.
    if (m_phase == Phase::Across) {
        const int x = m_paper.left() + m_paper.width() * (2 * m_step + 1) / (2 * SweepSteps);
        return {x, m_paper.top(), 1, m_paper.height()};
    }
    const int y = m_paper.top() + m_paper.height() * (2 * m_step + 1) / (2 * SweepSteps);
    return {m_paper.left(), y, m_paper.width(), 1};
}

void Scanner::startSweep(Phase phase)
{
    clearOwn();
    m_phase = phase;
    m_rounds = 0;
    lightUp(0);
}

bool Scanner::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto *key = static_cast<QKeyEvent *>(event);
        // The keys the program makes itself (the on-screen keyboard's space and enter) type.
        if (!IsSwitchKey(key->key()) || !event->spontaneous())
            break;
        if (!key->isAutoRepeat()) {
            if (event->type() == QEvent::KeyPress)
                switchDown();
            else
                switchUp(m_switches == 2 && key->key() == Qt::Key_Space ? Switch::Move : Switch::Take);
        }
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        // With one switch a click of any button is the switch; the scan's own clicks go through.
        if (m_switches != 1 || !watched->isWindowType() || !event->spontaneous())
            break;
        if (event->type() == QEvent::MouseButtonPress)
            switchDown();
        else if (event->type() == QEvent::MouseButtonRelease)
            switchUp(Switch::Take);
        return true;
    case QEvent::MouseMove:
        // The desktop's pointer follows the scan's own and reports it: that move was made
        // already, and made again it would drag what is carried by its grip.
        if (watched->isWindowType() && event->spontaneous()
            && m_mouse.isEcho(static_cast<QMouseEvent *>(event)->globalPosition().toPoint()))
            return true;
        break;
    case QEvent::WindowActivate:
        if (watched->isWidgetType())
            QTimer::singleShot(0, this, &Scanner::validate);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void Scanner::switchDown()
{
    if (m_holding)
        return;
    m_holding = true;
    m_heldLong = false;
    // What is lit at the press is what the press takes.
    m_timer.stop();
    m_hold.start();
}

void Scanner::switchUp(Switch kind)
{
    if (!m_holding)
        return;
    m_holding = false;
    m_hold.stop();
    if (m_heldLong)
        return;
    if (m_offer == Offer::Controls && m_phase == Phase::Choices && currentWindow() != m_window) {
        offerControls({}); // another window came: the light goes there first
        return;
    }
    if (kind == Switch::Move)
        move();
    else
        take();
}

void Scanner::heldLong()
{
    m_heldLong = true;
    back();
}

void Scanner::validate()
{
    if (m_offer == Offer::Controls && m_phase == Phase::Choices && !m_holding && currentWindow() != m_window)
        offerControls({});
}

void Scanner::step()
{
    m_stepping = true;
    const auto done = qScopeGuard([this] { m_stepping = false; });
    const bool sweeping = m_phase != Phase::Choices;
    if (!sweeping && m_offer == Offer::Controls) {
        // A window that came or went, or a choice that went, makes the choices afresh.
        const ScanChoice *choice = lit();
        if (currentWindow() != m_window || (choice && choice->control && !choice->control->isVisible())) {
            offerControls({});
            return;
        }
    }
    const int index = sweeping ? m_step : m_lit;
    const int count = sweeping ? SweepSteps : int(level().choices.size());
    if (index + 1 < count) {
        lightUp(index + 1);
    } else if (++m_rounds < m_loops) {
        startRound();
    } else {
        rest();
    }
}

void Scanner::move()
{
    const int count = m_phase != Phase::Choices ? SweepSteps : int(level().choices.size());
    const int index = m_phase != Phase::Choices ? m_step : m_lit;
    if (m_resting || count == 0 || index + 1 == count)
        startRound();
    else
        lightUp(index + 1);
}

void Scanner::take()
{
    if (m_resting) {
        // The press that wakes the light takes nothing.
        m_rounds = 0;
        startRound();
        return;
    }
    if (m_phase == Phase::Across) {
        m_across = lineRect().left();
        startSweep(Phase::Down);
        return;
    }
    if (m_phase == Phase::Down) {
        drawDot();
        return;
    }
    const ScanChoice *choice = lit();
    if (!choice)
        return;
    switch (choice->kind) {
    case ScanChoice::Kind::Group:
        m_path.append(m_lit);
        m_rounds = 0;
        lightUp(0);
        break;
    case ScanChoice::Kind::Control:
        click(*choice);
        break;
    case ScanChoice::Kind::Step:
        takeStep(*choice);
        break;
    case ScanChoice::Kind::Item:
        takeItem(*choice);
        break;
    case ScanChoice::Kind::Paper:
        m_offer = Offer::Dots;
        m_window = &m_form;
        m_paper = choice->rect;
        startSweep(Phase::Across);
        break;
    case ScanChoice::Kind::Place:
        putDown(choice->rect.center());
        break;
    case ScanChoice::Kind::Own:
        if (choice->id == QLatin1String("again")) {
            startSweep(Phase::Across);
        } else if (choice->id == QLatin1String("here")) {
            putDown(m_mouse.pos());
        } else {
            if (choice->id == QLatin1String("cancel"))
                m_carry.cancel();
            offerControls({});
        }
        break;
    }
}

void Scanner::back()
{
    if (m_offer == Offer::Dots) {
        offerControls({});
    } else if (!m_path.isEmpty()) {
        const int group = m_path.takeLast();
        m_rounds = 0;
        lightUp(group);
    } else if (m_offer == Offer::Places) {
        m_carry.cancel();
        offerControls({});
    } else {
        rest();
    }
}

void Scanner::click(const ScanChoice &choice)
{
    // Afterwards the light comes back to the groups above the one the choice was in.
    const QStringList path = pathIds(m_path.size() - 1);
    clickAt(choice.rect.center(), false);
    if (m_carry.carried())
        offerPlaces();
    else
        offerControls(path);
}

void Scanner::clickAt(QPoint at, bool twice)
{
    rest();
    // A click may open a modal dialog and wait for it: the light goes there meanwhile.
    const int click = ++m_clicks;
    m_clicking = click;
    QTimer::singleShot(0, this, [this, click] {
        if (m_clicking == click)
            offerControls({});
    });
    m_mouse.moveTo(at);
    if (twice) {
        m_mouse.doubleClick();
    } else {
        m_mouse.press();
        m_mouse.release();
    }
    if (m_clicking == click)
        m_clicking = 0;
}

void Scanner::takeStep(const ScanChoice &choice)
{
    // The bar's own action, as a click on its arrow or beside its handle makes; the key of a
    // drop-down list or a number box, which chooses the item above or below as a click in its
    // list does, or counts up or down as its arrows do.
    if (auto *bar = qobject_cast<QAbstractSlider *>(choice.control)) {
        bar->triggerAction(QAbstractSlider::SliderAction(choice.value));
    } else if (choice.control) {
        const int key = choice.value;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier), release(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(choice.control, &press);
        QCoreApplication::sendEvent(choice.control, &release);
    }
    // The light stays, for the next step the same way.
    m_rounds = 0;
    lightUp(m_lit);
}

void Scanner::takeItem(const ScanChoice &choice)
{
    auto *view = qobject_cast<QAbstractItemView *>(choice.control);
    if (!view || !view->model())
        return;
    const auto *list = qobject_cast<QListView *>(view);
    const QModelIndex index = view->model()->index(choice.value, list ? list->modelColumn() : 0, view->rootIndex());
    // The list shows the item, as its keys would, and the item is clicked; the one selected is
    // double-clicked.
    view->scrollTo(index);
    const bool again = view->currentIndex() == index && view->selectionModel() && view->selectionModel()->isSelected(index);
    const QPoint at = view->viewport()->mapToGlobal(view->visualRect(index).center());
    // Afterwards the light comes back to the item, or to the list's first where it went.
    const QStringList path = pathIds(m_path.size());
    // The choice lives in the list that offering the controls again rebuilds.
    const QString id = choice.id;
    clickAt(at, again);
    offerControls(path, id);
}

void Scanner::putDown(QPoint at)
{
    rest();
    // Where it was taken it is put down without a move: a move would drag it by the grip of the
    // last pass over the gallery.
    const QPoint from = m_mouse.pos();
    for (int k = 1; k <= CarrySteps && at != from; ++k)
        m_mouse.moveTo(from + (at - from) * k / CarrySteps);
    m_mouse.press();
    m_mouse.release();
    offerControls({});
}

void Scanner::drawDot()
{
    const QPoint at(m_across, lineRect().top());
    rest();
    m_mouse.moveTo(at);
    m_mouse.press();
    m_mouse.release();
    // With the carrying a click starts a stroke: the next click at the same point ends it.
    if (m_carry.carried()) {
        m_mouse.press();
        m_mouse.release();
    }
    m_phase = Phase::Choices;
    m_root = ScanChoice{};
    m_path.clear();
    offerOwn({{QStringLiteral("again"), QStringLiteral("もういちど")}, {QStringLiteral("done"), QStringLiteral("おわり")}});
}

} // namespace accessibility
