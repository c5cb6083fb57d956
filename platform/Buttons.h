// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The buttons and labels of the program's windows: command buttons, labels, the keys of the
// on-screen keyboard and check boxes. Their captions also name them to accessibility tools.

#include "platform/Control.h"

#include "base/Fonts.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace platform {

// A command button. With a back colour it is a graphical button: its face is that colour, flat
// from edge to edge inside a raised frame (sunken while pressed), drawn alike in every desktop
// style, and its caption is centred on it, in the fore colour if one is set, otherwise in black
// or, on a dark colour, in white, so that it can always be read. Without a back colour it keeps
// the style's button face.
class CommandButton final : public Control<QPushButton>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(QColor foreColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(double fontSize READ fontSize)
public:
    explicit CommandButton(QWidget *parent = nullptr);
    QString caption() const { return text(); }
    void setCaption(const QString &caption);
    QColor backColor() const;
    void setBackColor(const QColor &color);
    QColor foreColor() const;
    void setForeColor(const QColor &color);
    double fontSize() const { return PointsOf(font()); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintGraphical();

    QColor m_back, m_fore;
};

// A label: caption left-aligned at the top, wrapped within its width, opaque background.
class Label final : public Control<QLabel>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(QColor foreColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(int borderStyle READ borderStyle WRITE setBorderStyle)
    Q_PROPERTY(double fontSize READ fontSize)
public:
    explicit Label(QWidget *parent = nullptr);
    QString caption() const { return text(); }
    void setCaption(const QString &caption);
    QColor backColor() const { return m_back; }
    void setBackColor(const QColor &color);
    QColor foreColor() const { return m_fore; }
    void setForeColor(const QColor &color);
    int borderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style);
    double fontSize() const { return PointsOf(font()); }

signals:
    void click(int index);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QColor m_back, m_fore;
    int m_borderStyle = 0;
    bool m_pressed = false;
};

// A key of the on-screen keyboard: a caption centred on a raised face that looks etched while
// a mouse button is held on it.
class KeyLabel final : public Control<QLabel>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(int appearance READ appearance WRITE setAppearance)
    Q_PROPERTY(double fontSize READ fontSize)
public:
    enum Look { Raised = 1, Etched = 3 };
    explicit KeyLabel(QWidget *parent = nullptr);
    QString caption() const { return text(); }
    void setCaption(const QString &caption);
    QColor backColor() const { return m_back; }
    void setBackColor(const QColor &color);
    int appearance() const { return m_look; }
    void setAppearance(int look);
    double fontSize() const { return PointsOf(font()); }

signals:
    void mouseDown(int index);
    void mouseUp(int index);
    void click(int index);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QColor m_back;
    int m_look = Raised;
    bool m_pressed = false;
};

// A check box; value 0 or 1.
class CheckBox final : public Control<QCheckBox>
{
    Q_OBJECT
    TOVIMARU_TWIPS_PROPERTIES
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(int value READ value WRITE setValue)
public:
    explicit CheckBox(QWidget *parent = nullptr);
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    QColor backColor() const { return m_back; }
    void setBackColor(const QColor &color);
    int value() const { return isChecked() ? 1 : 0; }
    void setValue(int value) { setChecked(value != 0); }

private:
    QString m_caption;
    QColor m_back;
};

} // namespace platform
