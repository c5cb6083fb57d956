// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The phrase store on real files, one test program built from two files: tst_phrasestore.cpp
// holds the stores of every shape, the Jet files and the damaged ones; tst_phrasestore_processes.cpp
// the cases that need a second process (locks, read-only folders, writers killed in the middle of
// a write, two programs confirming at once), the child modes the test binary runs itself in, and
// main().

#include "tests/support/Registration.h"

#include <QObject>
#include <QTemporaryDir>

#include <memory>

class TestPhraseStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Stores of every shape (tst_phrasestore.cpp).
    void firstStartWithoutStore();
    void emptyFileAndEmptyTable_data();
    void emptyFileAndEmptyTable();
    void onlyTheFirstRecordIsUsed();
    void roundTrip_data();
    void roundTrip();
    void savingTwiceKeepsOneRecord();
    void jetStoreIsReadAndConverted();
    void jetRowsOfAnAccessFile();
    void jetFileWithoutThePhraseTable();
    void jetRegressionFilesAreReadSafely();
    void jetReaderThatFailsIsAnUnreadableFile_data();
    void jetReaderThatFailsIsAnUnreadableFile();
    void earlierBackupsAreNeverOverwritten();
    void unreadableFilesAreKeptAside_data();
    void unreadableFilesAreKeptAside();
    void folderNamedLikeTheStore();

    // Other processes at work on the store (tst_phrasestore_processes.cpp).
    void leftoversOfACutOffSave();
    void lockedStore();
    void writerKilledMidWrite();
    void writerKilledAtAnyMoment();
    void readOnlyLocations_data();
    void readOnlyLocations();
    void twoProgramsConfirmingAtOnce_data();
    void twoProgramsConfirmingAtOnce();

private:
    QString dataDir() const { return m_data->path(); }
    QString store() const { return m_data->filePath(testing::StoreName); }

    std::unique_ptr<QTemporaryDir> m_data;    // the store's folder
    std::unique_ptr<QTemporaryDir> m_scratch; // a folder beside it, for what is not the store's
};
