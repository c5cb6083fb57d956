// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/ScanChoices.h"

#include "access/KeyPointer.h"
#include "form/Form1.h"
#include "form/Poster.h"
#include "platform/Controls.h"
#include "platform/Narrator.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabBar>

#include <algorithm>

namespace accessibility {

namespace {

bool Offered(const QWidget *control)
{
    return control && control->isVisible() && control->isEnabled();
}

QRect GlobalRect(const QWidget *control)
{
    return {control->mapToGlobal(QPoint(0, 0)), control->size()};
}

QString CaptionOf(const QWidget *control)
{
    QString caption = platform::Narrator::CaptionOf(control);
    if (caption.isEmpty()) {
        if (const auto *button = qobject_cast<const QAbstractButton *>(control))
            caption = button->text();
        else if (const auto *label = qobject_cast<const QLabel *>(control))
            caption = label->text();
    }
    caption.remove(QLatin1Char('&'));
    return caption.isEmpty() ? control->accessibleName() : caption;
}

ScanChoice ControlChoice(QWidget *control, ScanChoice::Kind kind = ScanChoice::Kind::Control)
{
    ScanChoice choice;
    choice.kind = kind;
    choice.control = control;
    choice.rect = GlobalRect(control);
    choice.caption = CaptionOf(control);
    // Unnamed buttons (a message box's) are told apart by their captions.
    choice.id = control->objectName().isEmpty() ? QStringLiteral("button:") + choice.caption : control->objectName();
    return choice;
}

// The most items a group of a list holds.
constexpr qsizetype MostItems = 8;

ScanChoice Group(const QString &id, const QString &caption, QList<ScanChoice> choices)
{
    ScanChoice group;
    group.id = id;
    group.caption = caption;
    group.choices = std::move(choices);
    for (const ScanChoice &choice : group.choices)
        group.rect |= choice.rect;
    return group;
}

// Steps lit over equal parts of a control, along it, in the order given (value, caption).
ScanChoice Steps(QWidget *control, Qt::Orientation along, const QList<QPair<int, QString>> &steps)
{
    const ScanChoice whole = ControlChoice(control);
    QList<ScanChoice> choices;
    const QRect r = whole.rect;
    const auto n = int(steps.size());
    for (int k = 0; k < n; ++k) {
        ScanChoice step;
        step.kind = ScanChoice::Kind::Step;
        step.control = control;
        step.value = steps[k].first;
        step.caption = steps[k].second;
        step.id = QStringLiteral("%1:step:%2").arg(whole.id).arg(step.value);
        step.rect = along == Qt::Horizontal
                        ? QRect(QPoint(r.left() + r.width() * k / n, r.top()), QPoint(r.left() + r.width() * (k + 1) / n - 1, r.bottom()))
                        : QRect(QPoint(r.left(), r.top() + r.height() * k / n), QPoint(r.right(), r.top() + r.height() * (k + 1) / n - 1));
        choices.append(step);
    }
    return Group(whole.id, whole.caption, choices);
}

ScanChoice BarChoice(QScrollBar *bar)
{
    if (bar->minimum() == bar->maximum())
        return Group(bar->objectName(), {}, {}); // nothing to move
    const bool across = bar->orientation() == Qt::Horizontal;
    const QString back = across ? QStringLiteral("ひだりへ") : QStringLiteral("うえへ");
    const QString on = across ? QStringLiteral("みぎへ") : QStringLiteral("したへ");
    const QString much = QStringLiteral(" たくさん");
    QList<QPair<int, QString>> steps{{QAbstractSlider::SliderSingleStepSub, back}, {QAbstractSlider::SliderSingleStepAdd, on}};
    if (bar->pageStep() > bar->singleStep()) {
        steps.prepend({QAbstractSlider::SliderPageStepSub, back + much});
        steps.append({QAbstractSlider::SliderPageStepAdd, on + much});
    }
    return Steps(bar, bar->orientation(), steps);
}

// Items in groups of at most MostItems, those in groups of at most MostItems, and so on.
QList<ScanChoice> InGroups(QList<ScanChoice> items, const QString &id)
{
    for (int level = 0; items.size() > MostItems; ++level) {
        QList<ScanChoice> groups;
        for (qsizetype k = 0; k < items.size(); k += MostItems) {
            const QList<ScanChoice> part = items.mid(k, MostItems);
            groups.append(Group(QStringLiteral("%1:%2:%3").arg(id).arg(level).arg(k), part.first().caption, part));
        }
        items = groups;
    }
    return items;
}

ScanChoice ItemsChoice(QAbstractItemView *view)
{
    const ScanChoice whole = ControlChoice(view);
    const QRect shown(view->viewport()->mapToGlobal(QPoint(0, 0)), view->viewport()->size());
    const auto *list = qobject_cast<QListView *>(view);
    const int column = list ? list->modelColumn() : 0;
    QList<ScanChoice> items;
    const int rows = view->model() ? view->model()->rowCount(view->rootIndex()) : 0;
    for (int row = 0; row < rows; ++row) {
        const QModelIndex index = view->model()->index(row, column, view->rootIndex());
        if ((list && list->isRowHidden(row)) || !(index.flags() & Qt::ItemIsEnabled))
            continue;
        ScanChoice item;
        item.kind = ScanChoice::Kind::Item;
        item.control = view;
        item.value = row;
        item.caption = index.data(Qt::DisplayRole).toString();
        item.id = QStringLiteral("%1:item:%2").arg(whole.id, item.caption);
        // An item scrolled out of sight is lit as the whole list.
        const QRect at = QRect(view->viewport()->mapToGlobal(view->visualRect(index).topLeft()), view->visualRect(index).size()) & shown;
        item.rect = at.isEmpty() ? shown : at;
        items.append(item);
    }
    return Group(whole.id, whole.caption, InGroups(items, whole.id));
}

// A control as a choice: a scroll bar, a drop-down list, a number box, a list and the tabs of a
// page of tabs as groups.
ScanChoice ChoiceOf(QWidget *control)
{
    if (auto *bar = qobject_cast<QScrollBar *>(control))
        return BarChoice(bar);
    if (auto *combo = qobject_cast<QComboBox *>(control)) {
        if (combo->count() < 2)
            return Group(combo->objectName(), {}, {}); // nothing to choose
        ScanChoice steps = Steps(combo, Qt::Horizontal, {{Qt::Key_Up, QStringLiteral("うえの もの")}, {Qt::Key_Down, QStringLiteral("したの もの")}});
        steps.caption = combo->currentText();
        return steps;
    }
    if (auto *number = qobject_cast<QAbstractSpinBox *>(control)) {
        if (number->isReadOnly())
            return ControlChoice(control);
        return Steps(number, Qt::Horizontal, {{Qt::Key_Down, QStringLiteral("へらす")}, {Qt::Key_Up, QStringLiteral("ふやす")}});
    }
    if (auto *view = qobject_cast<QAbstractItemView *>(control))
        return ItemsChoice(view);
    if (auto *tabs = qobject_cast<QTabBar *>(control)) {
        // Each tab is clicked where it lies.
        QList<ScanChoice> choices;
        for (int k = 0; k < tabs->count(); ++k) {
            if (!tabs->isTabVisible(k) || !tabs->isTabEnabled(k))
                continue;
            ScanChoice tab = ControlChoice(tabs);
            tab.caption = tabs->tabText(k).remove(QLatin1Char('&'));
            tab.id = QStringLiteral("tab:") + tab.caption;
            tab.rect = QRect(tabs->mapToGlobal(tabs->tabRect(k).topLeft()), tabs->tabRect(k).size());
            choices.append(tab);
        }
        return Group(QStringLiteral("tabs:") + tabs->window()->objectName(), {}, choices);
    }
    return ControlChoice(control);
}

// A group of choices; a group of one is that choice, and a group of none is nothing.
void AddGroup(QList<ScanChoice> &to, const QString &id, const QString &caption, QList<ScanChoice> choices)
{
    if (choices.isEmpty())
        return;
    if (choices.size() == 1) {
        to.append(choices.first());
        return;
    }
    to.append(Group(id, caption, std::move(choices)));
}

// A choice, unless it is a group of nothing (an empty list); a group of one is that one.
void Append(QList<ScanChoice> &to, const ScanChoice &choice)
{
    if (choice.kind != ScanChoice::Kind::Group)
        to.append(choice);
    else
        AddGroup(to, choice.id, choice.caption, choice.choices);
}

// The controls in rows, top to bottom: a control starts a new row unless its middle lies
// within the height of the row's first control, and the first's middle within its height.
QList<ScanChoice> InRows(QList<QWidget *> controls, const QString &id, const QString &caption)
{
    std::stable_sort(controls.begin(), controls.end(), [](const QWidget *a, const QWidget *b) {
        const QRect ra = GlobalRect(a), rb = GlobalRect(b);
        return ra.top() != rb.top() ? ra.top() < rb.top() : ra.left() < rb.left();
    });
    QList<QList<QWidget *>> rows;
    for (QWidget *control : controls) {
        const QRect at = GlobalRect(control);
        // A list beside a column of text boxes is not a row of them.
        const QRect first = rows.isEmpty() ? QRect() : GlobalRect(rows.last().first());
        if (rows.isEmpty() || at.center().y() > first.bottom() || first.center().y() > at.bottom())
            rows.append(QList<QWidget *>{});
        rows.last().append(control);
    }
    QList<ScanChoice> groups;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        std::stable_sort(rows[r].begin(), rows[r].end(),
                         [](const QWidget *a, const QWidget *b) { return GlobalRect(a).left() < GlobalRect(b).left(); });
        QList<ScanChoice> row;
        for (QWidget *control : rows[r])
            Append(row, ChoiceOf(control));
        AddGroup(groups, QStringLiteral("%1:row:%2").arg(id).arg(r), caption, row);
    }
    return groups;
}

template<class Controls>
QList<QWidget *> Shown(const Controls &controls)
{
    QList<QWidget *> shown;
    for (QWidget *control : controls) {
        if (Offered(control))
            shown.append(control);
    }
    return shown;
}

QList<ScanChoice> Choices(const QList<QWidget *> &controls)
{
    QList<ScanChoice> choices;
    for (QWidget *control : controls)
        Append(choices, ChoiceOf(control));
    return choices;
}

ScanChoice MainWindowChoices(Form1 &f)
{
    QList<ScanChoice> top;
    QList<QWidget *> working{f.Command19, f.Command10, f.Command9, f.Command12, f.Command13, f.HScroll1, f.Command17,
                             f.Command18, f.Command1,  f.Command2, f.Command21, f.Check1,    f.Command20, f.Command14};
    AddGroup(top, QStringLiteral("working"), QStringLiteral("ボタン"), Choices(Shown(working)));

    QList<QWidget *> placed, waiting;
    for (platform::ImageControl *slot : f.Image3) {
        if (Offered(slot) && Poster::IsPlaced(*slot))
            placed.append(slot);
    }
    for (platform::RichTextBox *slot : f.Text1) {
        if (Offered(slot))
            (Poster::IsPlaced(*slot) ? placed : waiting).append(slot);
    }
    // A text is taken by its viewport, the control a press on it goes to.
    const auto elements = [](const QList<QWidget *> &elementSlots) {
        QList<ScanChoice> choices;
        for (QWidget *slot : elementSlots) {
            ScanChoice choice = ControlChoice(slot);
            if (auto *text = qobject_cast<platform::RichTextBox *>(slot)) {
                choice.control = text->viewport();
                choice.caption = text->toPlainText();
            }
            choices.append(choice);
        }
        return choices;
    };
    AddGroup(top, QStringLiteral("poster"), QStringLiteral("ポスター"), elements(placed));
    for (QWidget *paper : {static_cast<QWidget *>(f.Picture1), static_cast<QWidget *>(f.Picture2)}) {
        if (Offered(paper)) {
            ScanChoice choice = ControlChoice(paper, ScanChoice::Kind::Paper);
            choice.caption = QStringLiteral("かみ");
            top.append(choice);
        }
    }

    QList<QWidget *> cells = Shown(f.Image1);
    for (const char *name : {"CommandPageUp", "CommandPageDown"}) {
        if (auto *button = f.client()->findChild<QWidget *>(QLatin1String(name)); Offered(button))
            cells.append(button);
    }
    // The scroll bar beside the cells, as tall as all their rows, comes after them.
    QList<ScanChoice> gallery = InRows(cells, QStringLiteral("gallery"), QStringLiteral("え"));
    if (Offered(f.VScroll1))
        Append(gallery, ChoiceOf(f.VScroll1));
    AddGroup(top, QStringLiteral("gallery"), QStringLiteral("え"), gallery);
    AddGroup(top, QStringLiteral("texts"), QStringLiteral("もじ"), elements(waiting));
    AddGroup(top, QStringLiteral("keyboard"), QStringLiteral("キーボード"),
             InRows(Shown(f.Label1), QStringLiteral("keyboard"), QStringLiteral("キーボード")));

    QList<QWidget *> moving{f.Command5, f.Command15, f.Command16, f.Command11, f.Command6, f.Command4, f.Command3};
    AddGroup(top, QStringLiteral("moving"), QStringLiteral("つぎへ もどる おわり"), Choices(Shown(moving)));

    ScanChoice root;
    root.id = QStringLiteral("Form1");
    root.choices = top;
    return root;
}

// Any other window: its buttons, lists and scroll bars, and its other controls that do something
// when clicked (not the labels, nor what takes no focus).
ScanChoice WindowChoices(QWidget *window)
{
    QList<QWidget *> controls;
    for (QWidget *control : KeyPointer::ControlsInReadingOrder(window)) {
        const bool label = qobject_cast<QLabel *>(control) && !qobject_cast<platform::Label *>(control);
        const bool list = qobject_cast<QAbstractItemView *>(control) || qobject_cast<QComboBox *>(control);
        // What takes no focus and is no button, bar or swatch only shows (a print dialog's page).
        const bool shows = control->focusPolicy() == Qt::NoFocus && !qobject_cast<QAbstractButton *>(control)
                           && !qobject_cast<QAbstractSlider *>(control) && !qobject_cast<platform::Label *>(control);
        if (!label && !shows && (list || !control->findChild<QAbstractButton *>()))
            controls.append(control);
    }
    // The colour picker's swatches are labels that are clicked; other windows' labels are captions.
    if (window->objectName() != QLatin1String("Form2")) {
        controls.removeIf([](const QWidget *control) { return qobject_cast<const platform::Label *>(control); });
    }
    // Buttons without a name (a message box's, a dialog's button box), and the tabs of pages of
    // tabs, which are Qt's own.
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (button->window() == window && Offered(button) && !controls.contains(button))
            controls.append(button);
    }
    for (QTabBar *tabs : window->findChildren<QTabBar *>()) {
        if (tabs->window() == window && Offered(tabs))
            controls.append(tabs);
    }
    ScanChoice root;
    root.id = window->objectName();
    root.choices = InRows(controls, QStringLiteral("window"), window->windowTitle());
    if (root.choices.size() == 1 && root.choices.first().kind == ScanChoice::Kind::Group)
        root.choices = root.choices.first().choices;
    return root;
}

} // namespace

bool ScanChoice::holds(const std::function<bool(const ScanChoice &)> &test) const
{
    return test(*this) || std::any_of(choices.begin(), choices.end(), [&](const ScanChoice &c) { return c.holds(test); });
}

ScanChoice ChoicesOf(QWidget *window, Form1 &form)
{
    return window == &form ? MainWindowChoices(form) : WindowChoices(window);
}

QRect PaperRect(Form1 &form)
{
    for (const QWidget *paper : {static_cast<QWidget *>(form.Picture2), static_cast<QWidget *>(form.Image2)}) {
        if (paper->isVisible())
            return GlobalRect(paper);
    }
    return GlobalRect(form.Picture1);
}

ScanChoice PlacesOn(QRect paper)
{
    const auto third = [](QRect whole, int column, int row) {
        const int left = whole.left() + whole.width() * column / 3, right = whole.left() + whole.width() * (column + 1) / 3;
        const int top = whole.top() + whole.height() * row / 3, bottom = whole.top() + whole.height() * (row + 1) / 3;
        return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    };
    static const char *const Rows[3] = {"うえ", "まんなか", "した"};
    static const char *const Columns[3] = {"ひだり", "まんなか", "みぎ"};
    ScanChoice root;
    root.id = QStringLiteral("places");
    for (int k = 0; k < 9; ++k) {
        ScanChoice area;
        area.id = QStringLiteral("area:%1").arg(k);
        area.rect = third(paper, k % 3, k / 3);
        area.caption = QString::fromUtf8(Rows[k / 3]) + QLatin1Char(' ') + QString::fromUtf8(Columns[k % 3]);
        for (int j = 0; j < 9; ++j) {
            ScanChoice place;
            place.kind = ScanChoice::Kind::Place;
            place.id = QStringLiteral("place:%1:%2").arg(k).arg(j);
            place.rect = third(area.rect, j % 3, j / 3);
            place.caption = QString::fromUtf8(Rows[j / 3]) + QLatin1Char(' ') + QString::fromUtf8(Columns[j % 3]);
            area.choices.append(place);
        }
        root.choices.append(area);
    }
    return root;
}

} // namespace accessibility
