#include "platform/MessageBox.h"

#include "platform/Fonts.h"

#include <QMessageBox>

namespace platform {

void ShowErrorMessage(QWidget *parent, const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setFont(MakeFont(FontFace::UIGothic, 12));
    box.exec();
}

} // namespace platform
