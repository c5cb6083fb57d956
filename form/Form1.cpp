// SPDX-License-Identifier: GPL-3.0-or-later
#include "form/Form1.h"

#include "form/Form1Layout.h"
#include "platform/ControlLayout.h"

#include <QCloseEvent>
#include <QMenuBar>

using namespace platform;

namespace {

template<class T, std::size_t N>
void FindArray(const Form1 *form, const char *name, std::array<T *, N> &members)
{
    for (std::size_t i = 0; i < N; ++i)
        members[i] = FindControl<T>(form->client(), QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i));
}

} // namespace

Form1::Form1(QWidget *parent)
    : Window(QStringLiteral("Form1"), Form1ClientWidth, Form1ClientHeight, QColor(0xE0, 0xE0, 0xE0), parent)
{
    setCaption(QStringLiteral("Tovimaru"));
    setFont(MakeFont(FontFace::Window, 9));
    BuildControls(client(), Form1Layout());

    Label3 = BuiltControl<Label>(client(), "Label3");
    Label5 = BuiltControl<Label>(client(), "Label5");
    Label2 = BuiltControl<Label>(client(), "Label2");
    Command3 = BuiltControl<CommandButton>(client(), "Command3");
    Command5 = BuiltControl<CommandButton>(client(), "Command5");
    Command15 = BuiltControl<CommandButton>(client(), "Command15");
    Command16 = BuiltControl<CommandButton>(client(), "Command16");
    Command11 = BuiltControl<CommandButton>(client(), "Command11");
    Command6 = BuiltControl<CommandButton>(client(), "Command6");
    Command4 = BuiltControl<CommandButton>(client(), "Command4");
    Command19 = BuiltControl<CommandButton>(client(), "Command19");
    Command10 = BuiltControl<CommandButton>(client(), "Command10");
    Command9 = BuiltControl<CommandButton>(client(), "Command9");
    Command1 = BuiltControl<CommandButton>(client(), "Command1");
    Command2 = BuiltControl<CommandButton>(client(), "Command2");
    Command12 = BuiltControl<CommandButton>(client(), "Command12");
    Command13 = BuiltControl<CommandButton>(client(), "Command13");
    HScroll1 = BuiltControl<ScrollBar>(client(), "HScroll1");
    Command17 = BuiltControl<CommandButton>(client(), "Command17");
    Command18 = BuiltControl<CommandButton>(client(), "Command18");
    Command20 = BuiltControl<CommandButton>(client(), "Command20");
    Command14 = BuiltControl<CommandButton>(client(), "Command14");
    Command21 = BuiltControl<CommandButton>(client(), "Command21");
    VScroll1 = BuiltControl<ScrollBar>(client(), "VScroll1");
    Check1 = BuiltControl<CheckBox>(client(), "Check1");
    Label4 = BuiltControl<Label>(client(), "Label4");
    Text2 = BuiltControl<PlainTextBox>(client(), "Text2");
    Image2 = BuiltControl<ImageControl>(client(), "Image2");
    Picture1 = BuiltControl<PictureBox>(client(), "Picture1");
    Picture2 = BuiltControl<PictureBox>(client(), "Picture2");
    Picture3 = BuiltControl<PictureBox>(client(), "Picture3");
    FindArray(this, "Image1", Image1);
    FindArray(this, "Image3", Image3);
    FindArray(this, "Text1", Text1);
    FindArray(this, "Label1", Label1);

    Timer1 = new Timer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer1->setEnabled(false);

    // Two commands straight on the menu bar, without menus.
    menuBar()->setFont(MakeFont(FontFace::Window, 9));
    ItemSetDir = menuBar()->addAction(QStringLiteral("ディレクトリの指定(&D)"));
    ItemSetDir->setObjectName(QStringLiteral("ItemSetDir"));
    itemend = menuBar()->addAction(QStringLiteral("終了(&Q)"));
    itemend->setObjectName(QStringLiteral("itemend"));
    for (QAction *item : {ItemSetDir, itemend})
        item->setProperty("caption", item->text());
    applyGeometry();
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->ignore();
    emit closedByFrame();
}
