#include "registration/frmList.h"

#include "platform/Fonts.h"

namespace {
constexpr double ClientWidth = 8415;
constexpr double ClientHeight = 5295;
constexpr double OuterHeight = 5775;
} // namespace

frmList::frmList(QWidget *parent)
    : Window(QStringLiteral("frmList"), ClientWidth, ClientHeight, QColor(0xE0, 0xE0, 0xE0), parent)
{
    setCaption(QStringLiteral("データの登録"));
    setFont(platform::MakeFont(platform::FontFace::Gothic, 9));
    setAttribute(Qt::WA_DeleteOnClose);
    setTwipsHeight(OuterHeight);
    setTwipsLeft((screenWidthTwips() - twipsWidth()) / 2);
    setTwipsTop((screenHeightTwips() - twipsHeight()) / 2);
}

void frmList::setDrive(const QString &drive)
{
    Q_UNUSED(drive);
}

void frmList::setPath(const QString &path)
{
    Q_UNUSED(path);
}
