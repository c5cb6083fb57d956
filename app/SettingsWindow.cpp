// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SettingsWindow.h"

#include "base/Fonts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
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

QLabel *Explanation(const QString &text)
{
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    label->setFont(platform::MakeFont(platform::FontFace::PGothic, 10.5));
    label->setIndent(24);
    return label;
}

} // namespace

SettingsWindow::SettingsWindow(const settings::Settings &shown, QWidget *parent)
    : QWidget(parent, Qt::Window),
      m_base(shown),
      m_scale(new QComboBox),
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

    auto *scaleRow = new QHBoxLayout;
    auto *scaleTitle = new QLabel(QStringLiteral("画面の大きさ"));
    scaleTitle->setBuddy(m_scale);
    m_scale->setObjectName(QStringLiteral("scale"));
    m_scale->setAccessibleName(scaleTitle->text());
    for (const auto &[factor, text] : ScaleChoices())
        m_scale->addItem(text, factor);
    scaleRow->addWidget(scaleTitle);
    scaleRow->addWidget(m_scale, 1);
    layout->addLayout(scaleRow);
    layout->addWidget(Explanation(QStringLiteral(
        "ボタンも文字も大きくなり、目の見えにくい子や手のふるえる子も押しやすくなります。"
        "ポスターの中身と印刷は変わりません。")));

    for (const SwitchText &entry : Switches()) {
        auto *box = new QCheckBox(entry.title);
        box->setObjectName(QLatin1String(entry.key));
        box->setAccessibleName(entry.title);
        m_switches.emplace_back(entry.member, box);
        layout->addWidget(box);
        layout->addWidget(Explanation(entry.line));
    }

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
    m_status->setObjectName(QStringLiteral("Status"));
    m_status->setWordWrap(true);
    layout->addWidget(m_status);

    connect(recommend, &QPushButton::clicked, this, [this] { showSettings(Recommended(chosen())); });
    connect(saveButton, &QPushButton::clicked, this, &SettingsWindow::save);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    showSettings(shown);
    // Wide enough that every explanation stands in two lines at most, whole.
    setMinimumWidth(fontMetrics().averageCharWidth() * 64);
    adjustSize();
    // The wrapped explanations take the height of their lines at that width.
    if (layout->hasHeightForWidth())
        resize(width(), std::max(height(), layout->totalHeightForWidth(width())));
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
    for (const auto &[member, box] : m_switches)
        settings.*member = box->isChecked();
    return settings;
}

void SettingsWindow::showSettings(const settings::Settings &settings)
{
    const int index = m_scale->findData(settings.scale);
    m_scale->setCurrentIndex(index < 0 ? 0 : index);
    for (const auto &[member, box] : m_switches)
        box->setChecked(settings.*member);
}

settings::Settings SettingsWindow::Recommended(settings::Settings settings)
{
    settings.scale = settings::ScaleFit;
    settings.galleryButtons = true;
    settings.wizardGuard = true;
    return settings;
}

void SettingsWindow::save()
{
    const QString why = settings::SaveUserSettings(chosen());
    m_status->setText(why.isEmpty() ? QStringLiteral("保存しました（%1）。").arg(settings::UserSettingsPath())
                                    : QStringLiteral("保存できませんでした: %1").arg(why));
}
