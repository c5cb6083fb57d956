// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/samples/Sets.h"

#include "tools/samples/Pictures.h"

namespace samples {

const std::vector<Sample> &SampleSet()
{
    static const std::vector<Sample> list{
        {QStringLiteral("SUN.BMP"), Format::Bmp24, Sun, {400, 300}},
        {QStringLiteral("balloons.bmp"), Format::Bmp24, Balloons, {240, 360}},
        {QStringLiteral("fish.dib"), Format::Bmp24, Fish, {320, 224}},
        {QStringLiteral("HOUSE.RLE"), Format::Rle8, House, {480, 400}},
        {QStringLiteral("apple.rle"), Format::Rle4, Apple, {320, 360}},
        {QStringLiteral("flower.jpg"), Format::Jpeg, Flower, {360, 480}},
        {QStringLiteral("CAR.JPG"), Format::Jpeg, Car, {600, 340}},
        {QStringLiteral("rainbow.JPG"), Format::Jpeg, Rainbow, {640, 320}},
        {QStringLiteral("IMG_0412.JPG"), Format::PhoneJpeg, Balloons, {360, 480}},
        {QStringLiteral("tree.gif"), Format::Gif, Tree, {320, 480}},
        {QStringLiteral("STAR.GIF"), Format::Gif, Star, {360, 360}},
        {QStringLiteral("little boat.GIF"), Format::Gif, Boat, {500, 360}},
        {QString::fromUtf8("ねこ の かお.gif"), Format::Gif, CatFace, {400, 400}},
        {QStringLiteral("kite.wmf"), Format::Wmf, Kite, {}},
        {QStringLiteral("Snowman.WMF"), Format::Wmf, Snowman, {}},
        {QStringLiteral("ladybug.wmf"), Format::Wmf, Ladybug, {}},
    };
    return list;
}

const std::vector<Sample> &BuiltinSet()
{
    // Sizes like the samples': a few hundred pixels, enough for a picture grown on the poster.
    static const std::vector<Sample> list{
        // The samples' drawings.
        {QString::fromUtf8("たいよう.bmp"), Format::Bmp24, Sun, {400, 300}},
        {QString::fromUtf8("ふうせん.bmp"), Format::Bmp24, Balloons, {300, 450}},
        {QString::fromUtf8("さかな.dib"), Format::Bmp24, Fish, {400, 280}},
        {QString::fromUtf8("おうち.rle"), Format::Rle8, House, {480, 400}},
        {QString::fromUtf8("りんご.rle"), Format::Rle4, Apple, {320, 360}},
        {QString::fromUtf8("はな.jpg"), Format::Jpeg, Flower, {360, 480}},
        {QString::fromUtf8("くるま.jpg"), Format::Jpeg, Car, {600, 340}},
        {QString::fromUtf8("にじ.jpg"), Format::Jpeg, Rainbow, {640, 320}},
        {QString::fromUtf8("りんごのき.gif"), Format::Gif, Tree, {320, 480}},
        {QString::fromUtf8("ほし.gif"), Format::Gif, Star, {400, 400}},
        {QString::fromUtf8("ふね.gif"), Format::Gif, Boat, {500, 360}},
        {QString::fromUtf8("ねこ.gif"), Format::Gif, CatFace, {400, 400}},
        {QString::fromUtf8("たこ.wmf"), Format::Wmf, Kite, {}},
        {QString::fromUtf8("ゆきだるま.wmf"), Format::Wmf, Snowman, {}},
        {QString::fromUtf8("てんとうむし.wmf"), Format::Wmf, Ladybug, {}},
        // Animals.
        {QString::fromUtf8("いぬ.bmp"), Format::Bmp24, Dog, {400, 400}},
        {QString::fromUtf8("うさぎ.gif"), Format::Gif, Rabbit, {300, 400}},
        {QString::fromUtf8("くま.jpg"), Format::Jpeg, Bear, {400, 400}},
        {QString::fromUtf8("ぶた.rle"), Format::Rle8, Pig, {400, 360}},
        {QString::fromUtf8("ひよこ.dib"), Format::Bmp24, Chick, {400, 360}},
        {QString::fromUtf8("かえる.gif"), Format::Gif, Frog, {400, 350}},
        {QString::fromUtf8("ぱんだ.jpg"), Format::Jpeg, Panda, {400, 400}},
        {QString::fromUtf8("くじら.bmp"), Format::Bmp24, Whale, {500, 350}},
        {QString::fromUtf8("ぺんぎん.wmf"), Format::Wmf, Penguin, {}},
        {QString::fromUtf8("ちょうちょ.wmf"), Format::Wmf, Butterfly, {}},
        // Fruit and sweets.
        {QString::fromUtf8("いちご.rle"), Format::Rle4, Strawberry, {350, 400}},
        {QString::fromUtf8("ばなな.jpg"), Format::Jpeg, Banana, {450, 350}},
        {QString::fromUtf8("ぶどう.gif"), Format::Gif, Grapes, {350, 400}},
        {QString::fromUtf8("すいか.bmp"), Format::Bmp24, Watermelon, {450, 320}},
        {QString::fromUtf8("みかん.rle"), Format::Rle4, Mandarins, {400, 320}},
        {QString::fromUtf8("けーき.jpg"), Format::Jpeg, Cake, {400, 400}},
        {QString::fromUtf8("あいすくりーむ.dib"), Format::Bmp24, IceCream, {300, 425}},
        {QString::fromUtf8("さくらんぼ.wmf"), Format::Wmf, Cherries, {}},
        // Vehicles and weather.
        {QString::fromUtf8("でんしゃ.bmp"), Format::Bmp24, Train, {600, 320}},
        {QString::fromUtf8("ばす.jpg"), Format::Jpeg, Bus, {600, 350}},
        {QString::fromUtf8("ひこうき.gif"), Format::Gif, Aeroplane, {500, 320}},
        {QString::fromUtf8("ろけっと.rle"), Format::Rle8, Rocket, {320, 450}},
        {QString::fromUtf8("つき.jpg"), Format::Jpeg, Moon, {400, 400}},
        {QString::fromUtf8("あめ.dib"), Format::Bmp24, Rain, {400, 350}},
        {QString::fromUtf8("かさ.wmf"), Format::Wmf, Umbrella, {}},
        // School and the seasons.
        {QString::fromUtf8("らんどせる.jpg"), Format::Jpeg, SchoolBag, {350, 400}},
        {QString::fromUtf8("とけい.gif"), Format::Gif, Clock, {350, 400}},
        {QString::fromUtf8("ほん.bmp"), Format::Bmp24, Books, {400, 350}},
        {QString::fromUtf8("さくら.rle"), Format::Rle8, CherryBlossom, {450, 350}},
        {QString::fromUtf8("ひまわり.jpg"), Format::Jpeg, Sunflower, {300, 450}},
        {QString::fromUtf8("ぷれぜんと.gif"), Format::Gif, Present, {400, 400}},
        {QString::fromUtf8("くりすますつりー.gif"), Format::Gif, ChristmasTree, {350, 450}},
        {QString::fromUtf8("えんぴつ.wmf"), Format::Wmf, Pencil, {}},
        {QString::fromUtf8("どんぐり.wmf"), Format::Wmf, Acorns, {}},
    };
    return list;
}

} // namespace samples
