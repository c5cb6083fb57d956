// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/PrintPreview.h"

#include "output/PrintAndSave.h"
#include "base/Fonts.h"

#include <QBoxLayout>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QToolBar>

namespace output {

namespace {

QPushButton *BigButton(const QString &caption, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAccessibleName(caption);
    button->setFont(platform::MakeFont(platform::FontFace::RoundedGothic, 24, platform::FontStyle::Bold));
    button->setMinimumSize(220, 72);
    button->setAutoDefault(false);
    return button;
}

} // namespace

bool ShowPrintPreview(QPrinter &printer, const platform::Picture &picture, QWidget *parent)
{
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(QStringLiteral("PrintPreview"));
    preview.setWindowTitle(QStringLiteral("いんさつ"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&picture](QPrinter *page) { PrintPictureFitted(*page, picture); });

    // Qt's tool bar (zoom, page set-up and a print button of its own, which would print past the
    // program's print dialog) gives way to two big buttons under the page, shown whole.
    if (auto *tools = preview.findChild<QToolBar *>())
        tools->hide();
    if (auto *page = preview.findChild<QPrintPreviewWidget *>())
        page->fitInView();
    auto *buttons = new QHBoxLayout;
    QPushButton *print = BigButton(QStringLiteral("いんさつ"), QStringLiteral("CommandPreviewPrint"), &preview);
    QPushButton *back = BigButton(QStringLiteral("もどる"), QStringLiteral("CommandPreviewBack"), &preview);
    buttons->addWidget(back);
    buttons->addStretch(1);
    buttons->addWidget(print);
    if (auto *column = qobject_cast<QBoxLayout *>(preview.layout()))
        column->addLayout(buttons);
    // As large as most of the main window, so that the page is seen well.
    if (parent)
        preview.resize(parent->window()->size() * 9 / 10);
    QObject::connect(print, &QPushButton::clicked, &preview, &QDialog::accept);
    QObject::connect(back, &QPushButton::clicked, &preview, &QDialog::reject);
    return preview.exec() == QDialog::Accepted;
}

} // namespace output
