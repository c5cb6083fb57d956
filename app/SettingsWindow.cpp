// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SettingsWindow.h"

#include "app/ShelfSettings.h"
#include "base/Fonts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QCloseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

struct SwitchText
{
    bool settings::Settings::*member;
    const char *key;
    QString title;
    QString line; // what it does for the child
};

const std::vector<SwitchText> &Switches()
{
    static const std::vector<SwitchText> switches{
        {&settings::Settings::fullscreen, "fullscreen", QStringLiteral("全画面で表示する"),
         QStringLiteral("画面いっぱいに表示し、ほかのものを押してしまうことがなくなります。")},
        {&settings::Settings::bigCursor, "bigCursor", QStringLiteral("大きなマウスポインター"),
         QStringLiteral("ふつうの約４倍のポインターで、どこを指しているかが見やすくなります。")},
        {&settings::Settings::galleryButtons, "galleryButtons", QStringLiteral("絵のページを変える大きなボタン"),
         QStringLiteral("細いスクロールバーの代わりに「▲」「▼」で絵のページを送れます。")},
        {&settings::Settings::wizardGuard, "wizardGuard", QStringLiteral("「つぎへ」「もどる」の押しすぎを防ぐ"),
         QStringLiteral("ダブルクリックしても一つしか進まず（もどらず）、はった絵や文字が消えません。")},
        {&settings::Settings::saveFormats, "saveFormats", QStringLiteral("PNG や PDF でも保存する"),
         QStringLiteral("PNG と PDF も選べ、名前が初めから入るので、マウスだけで保存できます。")},
        {&settings::Settings::printPreview, "printPreview", QStringLiteral("印刷の前に仕上がりを見せる"),
         QStringLiteral("「いんさつ」でまず印刷される姿を大きく見せ、「いんさつ」か「もどる」を選べます。")},
        {&settings::Settings::moreFormats, "moreFormats", QStringLiteral("PNG や HEIC の絵も見せる"),
         QStringLiteral("PNG・WebP・HEIC・AVIF や .jpeg の絵（スマートフォンの写真など）も並べます。")},
        {&settings::Settings::builtinPictures, "builtinPictures", QStringLiteral("とびまるの絵を使う"),
         QStringLiteral("ピクチャフォルダーに絵がなくても、とびまるについてくる絵で始められます。"
                        "「データの登録」のドライブの一覧の「とびまる の え」からも選べます。")},
        {&settings::Settings::speech, "speech", QStringLiteral("ボタンや文字を読み上げる"),
         QStringLiteral("ボタンやキーにマウスを少し置くと声で読み、「よむ」で書いた文字を読みます。")},
        {&settings::Settings::undo, "undo", QStringLiteral("「とりけし」「やりなおし」のボタン"),
         QStringLiteral("まちがえて動かした絵や文字、かいた点を、一つずつ元にもどせます。")},
        {&settings::Settings::quitPrompt, "quitPrompt", QStringLiteral("「おわり」の前にたずねる"),
         QStringLiteral("印刷も保存もしていないポスターがあるとき、「おわりに しますか？」とたずねます。")},
        {&settings::Settings::autosave, "autosave", QStringLiteral("作りかけのポスターを残す"),
         QStringLiteral("ポスターをいつも保存し、次に始めたとき「つづきから」で続きを作れます。")},
        {&settings::Settings::shelf, "shelf", QStringLiteral("ポスターの「たな」"),
         QStringLiteral("作ったポスターがみな「たな」に並び、絵を選んで続きを作れます。絵はポスターの中に"
                        "しまわれるので、USB メモリーを抜いたあとやほかのパソコンでも開けます。")},
        {&settings::Settings::clickToCarry, "clickToCarry", QStringLiteral("クリックで運ぶ"),
         QStringLiteral("ボタンを押したまま動かさなくても、クリックで絵や文字を持ち、もう一度のクリックで置けます。"
                        "紙の上ではクリックで点をかき始め、もう一度のクリックで止めます。Esc で元にもどります。")},
        {&settings::Settings::keyboardPointer, "keyboardPointer", QStringLiteral("キーボードでポインターを動かす"),
         QStringLiteral("矢印キーとテンキーでポインターが動き（Shift で大きく）、スペースかエンターがボタン、"
                        "Tab で次のボタンや絵へ飛びます。文字を打つところでは Ctrl を押しながら使います。")},
    };
    return switches;
}

const std::vector<std::pair<double, QString>> &ScaleChoices()
{
    static const std::vector<std::pair<double, QString>> choices{
        {1, QStringLiteral("そのまま（1 倍）")},
        {1.25, QStringLiteral("1.25 倍")},
        {1.5, QStringLiteral("1.5 倍")},
        {2, QStringLiteral("2 倍")},
        {settings::ScaleFit, QStringLiteral("画面に合わせて最大に")},
    };
    return choices;
}

// The times of a rest that clicks (dwell), 0 for none.
const std::vector<std::pair<double, QString>> &DwellChoices()
{
    static const std::vector<std::pair<double, QString>> choices{
        {0, QStringLiteral("使わない")},
        {0.8, QStringLiteral("0.8 秒")},
        {1.2, QStringLiteral("1.2 秒")},
        {2, QStringLiteral("2 秒")},
        {3, QStringLiteral("3 秒")},
    };
    return choices;
}

// Switch scanning (scan): off, one switch, two switches.
const std::vector<std::pair<double, QString>> &ScanChoices()
{
    static const std::vector<std::pair<double, QString>> choices{
        {0, QStringLiteral("使わない")},
        {1, QStringLiteral("スイッチ 1 つ（光が自分で動く）")},
        {2, QStringLiteral("スイッチ 2 つ（スペースで動かし、エンターで選ぶ）")},
    };
    return choices;
}

// The seconds a choice stays lit (scanInterval).
const std::vector<std::pair<double, QString>> &ScanIntervalChoices()
{
    static const std::vector<std::pair<double, QString>> choices{
        {0.5, QStringLiteral("0.5 秒")}, {0.75, QStringLiteral("0.75 秒")}, {1, QStringLiteral("1 秒")},
        {1.5, QStringLiteral("1.5 秒")}, {2, QStringLiteral("2 秒")},      {3, QStringLiteral("3 秒")},
        {5, QStringLiteral("5 秒")},
    };
    return choices;
}

// The rounds of a group before the light rests (scanLoops).
const std::vector<std::pair<double, QString>> &ScanLoopsChoices()
{
    static const std::vector<std::pair<double, QString>> choices{
        {1, QStringLiteral("1 回")}, {2, QStringLiteral("2 回")}, {3, QStringLiteral("3 回")}, {5, QStringLiteral("5 回")},
    };
    return choices;
}

// Chooses value in a list; a value of the file's own that the list does not offer is offered too.
void ChooseValue(QComboBox *box, double value, const QString &unit)
{
    if (box->findData(value) < 0)
        box->addItem(QStringLiteral("%1 %2").arg(value).arg(unit), value);
    box->setCurrentIndex(box->findData(value));
}

QLabel *Explanation(const QString &text)
{
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    label->setFont(platform::MakeFont(platform::FontFace::PGothic, 10.5));
    label->setIndent(24);
    return label;
}

// A row of a title and a list of values, named after its key, with its explanation below.
QComboBox *AddChoiceRow(QVBoxLayout *rows, const QString &title, const char *key,
                        const std::vector<std::pair<double, QString>> &choices, const QString &line)
{
    auto *row = new QHBoxLayout;
    auto *label = new QLabel(title);
    auto *box = new QComboBox;
    label->setBuddy(box);
    box->setObjectName(QLatin1String(key));
    box->setAccessibleName(title);
    for (const auto &[value, text] : choices)
        box->addItem(text, value);
    row->addWidget(label);
    row->addWidget(box, 1);
    rows->addLayout(row);
    rows->addWidget(Explanation(line));
    return box;
}

} // namespace

SettingsWindow::SettingsWindow(const settings::Settings &shown, QWidget *parent)
    : QWidget(parent, Qt::Window),
      m_base(shown),
      m_saved(shown),
      m_status(new QLabel)
{
    setObjectName(QStringLiteral("SettingsWindow"));
    setWindowTitle(QStringLiteral("とびまる の設定（先生・保護者の方へ）"));
    setAccessibleName(windowTitle());
    setFont(platform::MakeFont(platform::FontFace::PGothic, 12));

    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(QStringLiteral(
        "ここで選んだことは、次にとびまるを起動したときから使われます。何も選ばなければ、"
        "とびまるは元のままです。"));
    intro->setWordWrap(true);
    layout->addWidget(intro);

    // The options scroll where the screen is too low for them all; the buttons and the status
    // line below stay in sight.
    auto *options = new QWidget;
    auto *optionRows = new QVBoxLayout(options);
    optionRows->setContentsMargins(0, 0, 0, 0);
    m_scale = AddChoiceRow(optionRows, QStringLiteral("画面の大きさ"), "scale", ScaleChoices(),
                           QStringLiteral("ボタンも文字も大きくなり、目の見えにくい子や手のふるえる子も押しやすくなります。"
                                          "ポスターの中身と印刷は変わりません。"));

    for (const SwitchText &entry : Switches()) {
        auto *box = new QCheckBox(entry.title);
        box->setObjectName(QLatin1String(entry.key));
        box->setAccessibleName(entry.title);
        m_switches.emplace_back(entry.member, box);
        optionRows->addWidget(box);
        optionRows->addWidget(Explanation(entry.line));
    }
    m_dwell = AddChoiceRow(optionRows, QStringLiteral("止めておくとクリック"), "dwell", DwellChoices(),
                           QStringLiteral("ポインターをしばらく動かさずにおくと、そこをクリックします（輪が満ちたとき）。"
                                          "押すことの難しい子や、視線やあたまで指す子のために。"));
    m_scan = AddChoiceRow(optionRows, QStringLiteral("スイッチで使う"), "scan", ScanChoices(),
                          QStringLiteral("ボタンや絵に順に光がつき、スイッチ（スペース、エンター、クリック）で選びます。"
                                         "長く押すと一つもどります。体を大きく動かせない子のために。"));
    m_scanInterval = AddChoiceRow(optionRows, QStringLiteral("光の動く速さ"), "scanInterval", ScanIntervalChoices(),
                                  QStringLiteral("一つのボタンに光がとどまる時間です。最初のボタンでは 0.7 秒長くとどまります。"));
    m_scanLoops = AddChoiceRow(optionRows, QStringLiteral("光の回る回数"), "scanLoops", ScanLoopsChoices(),
                               QStringLiteral("スイッチ 1 つのとき、この回数だけ回ると光が休みます。次に押すとまた始まります。"));
    // What the shelf of posters keeps, whether or not it is on.
    optionRows->addWidget(new ShelfSettings);
    optionRows->addStretch(1);
    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("Options"));
    scroll->setWidget(options);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(scroll, 1);

    auto *buttons = new QHBoxLayout;
    auto *recommend = new QPushButton(QStringLiteral("おすすめ"));
    recommend->setObjectName(QStringLiteral("CommandRecommended"));
    recommend->setToolTip(QStringLiteral("教室におすすめの設定を選びます（保存はまだしません）。"));
    auto *saveButton = new QPushButton(QStringLiteral("保存"));
    saveButton->setObjectName(QStringLiteral("CommandSave"));
    auto *closeButton = new QPushButton(QStringLiteral("閉じる"));
    closeButton->setObjectName(QStringLiteral("CommandClose"));
    for (QPushButton *button : {recommend, saveButton, closeButton})
        button->setAccessibleName(button->text());
    buttons->addWidget(recommend);
    buttons->addStretch(1);
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    // Two lines of its own, so that what saving says never squeezes the options above.
    m_status->setObjectName(QStringLiteral("Status"));
    m_status->setWordWrap(true);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_status->setMinimumHeight(m_status->fontMetrics().lineSpacing() * 2);
    layout->addWidget(m_status);

    connect(recommend, &QPushButton::clicked, this, [this] { showSettings(Recommended(chosen())); });
    connect(saveButton, &QPushButton::clicked, this, &SettingsWindow::save);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    showSettings(shown);

    // Wide enough that every explanation stands in two lines at most, whole, beside the scroll
    // bar; as high as the options ask, but never higher than the screen leaves room for.
    const int bar = scroll->verticalScrollBar()->sizeHint().width();
    const int width = fontMetrics().averageCharWidth() * 64 + bar;
    setMinimumWidth(width);
    const QMargins margins = layout->contentsMargins();
    int height = layout->totalHeightForWidth(width) - scroll->sizeHint().height()
                 + optionRows->totalHeightForWidth(width - margins.left() - margins.right() - bar);
    if (const QScreen *where = screen()) {
        const QRect area = where->availableGeometry();
        // The frame's title bar is not known before the window is shown.
        constexpr int FrameAllowance = 48;
        height = std::min(height, area.height() - FrameAllowance);
        resize(width, height);
        move(area.left() + (area.width() - width) / 2, area.top() + (area.height() - height - FrameAllowance) / 2);
    } else {
        resize(width, height);
    }
}

settings::Settings SettingsWindow::ReadFromFile()
{
    QStringList warnings;
    return settings::LoadSettings({}, &warnings);
}

settings::Settings SettingsWindow::chosen() const
{
    settings::Settings settings = m_base;
    settings.scale = m_scale->currentData().toDouble();
    settings.dwell = m_dwell->currentData().toDouble();
    settings.scan = m_scan->currentData().toInt();
    settings.scanInterval = m_scanInterval->currentData().toDouble();
    settings.scanLoops = m_scanLoops->currentData().toInt();
    for (const auto &[member, box] : m_switches)
        settings.*member = box->isChecked();
    return settings;
}

void SettingsWindow::showSettings(const settings::Settings &settings)
{
    const int index = m_scale->findData(settings.scale);
    m_scale->setCurrentIndex(index < 0 ? 0 : index);
    ChooseValue(m_dwell, settings.dwell, QStringLiteral("秒"));
    m_scan->setCurrentIndex(m_scan->findData(double(settings.scan)));
    ChooseValue(m_scanInterval, settings.scanInterval, QStringLiteral("秒"));
    ChooseValue(m_scanLoops, settings.scanLoops, QStringLiteral("回"));
    for (const auto &[member, box] : m_switches)
        box->setChecked(settings.*member);
}

settings::Settings SettingsWindow::Recommended(settings::Settings settings)
{
    // Not speech, which wants headphones in a classroom, nor fullscreen.
    settings.scale = settings::ScaleFit;
    for (bool settings::Settings::*member :
         {&settings::Settings::galleryButtons, &settings::Settings::wizardGuard, &settings::Settings::undo,
          &settings::Settings::quitPrompt, &settings::Settings::autosave, &settings::Settings::saveFormats,
          &settings::Settings::printPreview, &settings::Settings::moreFormats, &settings::Settings::builtinPictures})
        settings.*member = true;
    return settings;
}

bool SettingsWindow::save()
{
    const QString why = settings::SaveUserSettings(chosen());
    if (why.isEmpty())
        m_saved = chosen();
    // A break is allowed after each slash, so that a long path wraps instead of widening the window.
    QString path = settings::UserSettingsPath();
    path.replace(QLatin1Char('/'), QStringLiteral("/\u200B"));
    m_status->setText(why.isEmpty() ? QStringLiteral("保存しました（%1）。").arg(path)
                                    : QStringLiteral("保存できませんでした: %1").arg(why));
    return why.isEmpty();
}

void SettingsWindow::closeEvent(QCloseEvent *event)
{
    if (chosen() == m_saved) {
        event->accept();
        return;
    }
    QMessageBox question(QMessageBox::Question, windowTitle(),
                         QStringLiteral("変えた設定はまだ保存されていません。保存してから閉じますか？"),
                         QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    question.setObjectName(QStringLiteral("UnsavedQuestion"));
    question.button(QMessageBox::Save)->setText(QStringLiteral("保存して閉じる"));
    question.button(QMessageBox::Discard)->setText(QStringLiteral("保存しないで閉じる"));
    question.button(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
    question.setDefaultButton(QMessageBox::Save);
    question.setEscapeButton(QMessageBox::Cancel);
    const int answer = question.exec();
    if (answer == QMessageBox::Discard || (answer == QMessageBox::Save && save()))
        event->accept();
    else
        event->ignore(); // cancelled, or the file could not be written: the status line says why
}
