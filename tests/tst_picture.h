// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Pictures, one test program built from two files: tst_picture.cpp holds the loader and its
// formats (every file of the test corpus, odd paths, costly files and files written by hand, each
// loading with its natural size or empty); tst_picture_decodes.cpp what a loaded picture holds
// (the pixels of the decodes, scaled decoding, metafiles played, captures, drawing, shared copies
// and sharper decodes from the bytes first shown), and main().

#include "TestSupport.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>

namespace picturetests {

inline QString imagesDir()
{
    return testing::TestdataPath(QStringLiteral("images"));
}

inline QString corpusFile(const char *relativePath)
{
    return imagesDir() + QLatin1Char('/') + QLatin1String(relativePath);
}

} // namespace picturetests

class TestPicture : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    // The loader and its formats (tst_picture.cpp).
    void corpusFiles_data();
    void corpusFiles();
    void tableNamesOnlyExistingFiles();
    void oddPaths_data();
    void oddPaths();
    void costlyFiles_data();
    void costlyFiles();
    void writtenFiles_data();
    void writtenFiles();

    // What the decodes hold (tst_picture_decodes.cpp).
    void skippedRlePixelsAreDeterministic();
    void topDownBmpIsTheRightWayUp();
    void scaledDecode_data();
    void scaledDecode();
    void scaledJpegLooksLikeTheFullDecode();
    void metafileIsPlayedAtItsSize();
    void captureMeasuresItsLogicalSize();
    void nullImageGivesTheEmptyPicture();
    void captureDrawsPixelExactOnItsDensity();
    void drawStretchedFillsTheTarget();
    void copiesShareOnePictureObject();
    void sharperDecodeOnlyFromTheBytesShown();

private:
    QTemporaryDir m_dir;
};
