// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MessageBox.h"

#include "base/Fonts.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>
#include <QTextLayout>

#include <algorithm>
#include <limits>
#include <cmath>

namespace platform {

namespace {
constexpr double MessagePoints = 20.25; // the buttons' size: 27 pixels
constexpr QSize OkSize(160, 56);        // logical pixels, at least
constexpr int FrameAllowance = 32;      // the window frame's sides, not known before it is shown

// Where a line of a message may end: after a space (ASCII or ideographic), "、" or "。". Japanese
// has no spaces between words; Qt's line breaking would break between any two kana.
bool MayEndALine(QChar c)
{
    return c == u' ' || c == u'\u3000' || c == u'、' || c == u'。' || c == u'\n';
}

// The lines a word-wrapped label of that width makes of the text, as the positions they start at.
QList<int> LineStarts(const QString &text, const QFont &font, int width)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    QList<int> starts;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        starts.append(line.textStart());
    }
    layout.endLayout();
    return starts;
}

// The width for the text's lines: the whole text on one line where it fits, otherwise the fewest
// lines that each end where a line may end, as narrow as those lines allow. A text that cannot be
// broken so within the widest allowed takes that widest.
int LineWidthFor(const QString &text, const QFont &font, int widest)
{
    const int whole = static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(text))) + 1;
    if (whole <= widest && !text.contains(u'\n'))
        return whole;
    int best = widest;
    qsizetype fewest = std::numeric_limits<qsizetype>::max();
    for (int width = widest; width > 0; --width) {
        const QList<int> starts = LineStarts(text, font, width);
        if (starts.size() > fewest)
            break;
        if (std::all_of(starts.begin() + 1, starts.end(), [&](int start) { return MayEndALine(text[start - 1]); })) {
            best = width;
            fewest = starts.size();
        }
    }
    return best;
}

// Qt's message box, with its text's lines broken only where a Japanese line may end and the box
// sized to them: Qt would wrap a text wider than half the screen at any character.
class ProgramMessageBox final : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent *event) override
    {
        QMessageBox::showEvent(event); // Qt sizes the box here
        auto *label = findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        if (!label || label->text().isEmpty() || !layout())
            return;
        layout()->activate();
        const int besides = width() - label->width();
        const int labelMargins = label->width() - label->contentsRect().width();
        const QRect area = screen()->availableGeometry();
        const int lineWidth = LineWidthFor(label->text(), label->font(), area.width() - FrameAllowance - besides - labelMargins);
        label->setWordWrap(true);
        label->setFixedWidth(lineWidth + labelMargins);
        const int boxWidth = std::max(width(), besides + label->width());
        layout()->activate();
        setFixedSize(boxWidth, layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(boxWidth)
                                                             : layout()->totalMinimumSize().height());
        // Kept on the screen, should it have grown past its edge.
        move(std::clamp(x(), area.left(), std::max(area.left(), area.right() + 1 - FrameAllowance / 2 - width())),
             std::clamp(y(), area.top(), std::max(area.top(), area.bottom() + 1 - height())));
    }
};

// The program's look: the buttons' font for the whole box, and big buttons.
void GiveTheProgramsLook(QMessageBox &box)
{
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setFont(MakeFont(FontFace::RoundedGothic, MessagePoints, FontStyle::Bold));
    for (QAbstractButton *button : box.buttons())
        button->setMinimumSize(OkSize);
}

} // namespace

void ShowErrorMessage(QWidget *parent, const QString &text, const QString &title)
{
    ProgramMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    GiveTheProgramsLook(box);
    box.exec();
}

bool AskYesNo(QWidget *parent, const QString &text, const QString &title, const QString &yes, const QString &no)
{
    ProgramMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.button(QMessageBox::Yes)->setText(yes);
    box.button(QMessageBox::No)->setText(no);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    GiveTheProgramsLook(box);
    return box.exec() == QMessageBox::Yes;
}

} // namespace platform
