#include "app/Form1.h"

#include "app/Form1Layout.h"
#include "platform/ControlLayout.h"

#include <QCloseEvent>
#include <QMenuBar>

using namespace platform;

namespace {

template<class T>
T *Find(const Form1 *form, const char *name)
{
    T *control = FindControl<T>(form->client(), QString::fromUtf8(name));
    Q_ASSERT_X(control, "Form1", name);
    return control;
}

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

    Label3 = Find<Label>(this, "Label3");
    Label5 = Find<Label>(this, "Label5");
    Label2 = Find<Label>(this, "Label2");
    Command3 = Find<CommandButton>(this, "Command3");
    Command5 = Find<CommandButton>(this, "Command5");
    Command15 = Find<CommandButton>(this, "Command15");
    Command16 = Find<CommandButton>(this, "Command16");
    Command11 = Find<CommandButton>(this, "Command11");
    Command6 = Find<CommandButton>(this, "Command6");
    Command4 = Find<CommandButton>(this, "Command4");
    Command19 = Find<CommandButton>(this, "Command19");
    Command10 = Find<CommandButton>(this, "Command10");
    Command9 = Find<CommandButton>(this, "Command9");
    Command1 = Find<CommandButton>(this, "Command1");
    Command2 = Find<CommandButton>(this, "Command2");
    Command12 = Find<CommandButton>(this, "Command12");
    Command13 = Find<CommandButton>(this, "Command13");
    HScroll1 = Find<ScrollBar>(this, "HScroll1");
    Command17 = Find<CommandButton>(this, "Command17");
    Command18 = Find<CommandButton>(this, "Command18");
    Command20 = Find<CommandButton>(this, "Command20");
    Command14 = Find<CommandButton>(this, "Command14");
    Command21 = Find<CommandButton>(this, "Command21");
    VScroll1 = Find<ScrollBar>(this, "VScroll1");
    Check1 = Find<CheckBox>(this, "Check1");
    Label4 = Find<Label>(this, "Label4");
    Text2 = Find<PlainTextBox>(this, "Text2");
    Image2 = Find<ImageControl>(this, "Image2");
    Picture1 = Find<PictureBox>(this, "Picture1");
    Picture2 = Find<PictureBox>(this, "Picture2");
    Picture3 = Find<PictureBox>(this, "Picture3");
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
