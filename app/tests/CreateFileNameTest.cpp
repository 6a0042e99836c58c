#include "config/Logger.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <initializer_list>

using torvik::mdlFileMgr::CreateFileName;
using torvik::mdlFileMgr::DataFileNaming;

namespace {

struct NamingCase {
    const char* what;
    std::initializer_list<const char*> files;
    const char* fileName;
    int serialLen;
    int startNo;
    const char* expected;
};

// The worked examples of the numbering rules, then the corners around them.
const NamingCase namingCases[] = {
    {"next after the highest", {"DLC_001.csv", "DLC_007.csv"}, "DLC_", 3, 1, "DLC_008.csv"},
    {"empty folder", {}, "DLC_", 3, 1, "DLC_001.csv"},
    {"ceiling reached: restart", {"DLC_999.csv"}, "DLC_", 3, 1, "DLC_001.csv"},
    {"upper-case .CSV is not numbered", {"DLC_005.CSV"}, "DLC_", 3, 1, "DLC_001.csv"},
    {"upper-case .CSV beside numbered",
     {"DLC_005.CSV", "DLC_003.csv"},
     "DLC_",
     3,
     1,
     "DLC_004.csv"},
    {"highest below the start number", {"DLC_003.csv"}, "DLC_", 3, 10, "DLC_010.csv"},
    {"highest at the start number", {"DLC_010.csv"}, "DLC_", 3, 10, "DLC_011.csv"},
    {"other base names ignored", {"ABC_050.csv", "DLC_050.txt"}, "DLC_", 3, 1, "DLC_001.csv"},
    {"base name in any case", {"dlc_004.csv"}, "DLC_", 3, 1, "DLC_005.csv"},
    {"tails that are not numbers",
     {"DLC_abc.csv", "DLC_x12.csv", "DLC_.csv"},
     "DLC_",
     3,
     1,
     "DLC_001.csv"},
    {"last digits only", {"DLC_0012.csv"}, "DLC_", 2, 1, "DLC_13.csv"},
    {"four digits", {"DLC_0012.csv"}, "DLC_", 4, 1, "DLC_0013.csv"},
    {"every .csv removed", {"DLC_.csv002.csv"}, "DLC_", 3, 1, "DLC_003.csv"},
    {"base name trimmed", {"DLC_002.csv"}, "  DLC_ ", 3, 1, "DLC_003.csv"},
    {"one digit", {"A7.csv"}, "A", 1, 1, "A8.csv"},
    {"one digit at its ceiling", {"A9.csv"}, "A", 1, 1, "A1.csv"},
};

TEST(CreateFileName, Numbering) {
    for (const auto& c : namingCases) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        for (const char* name : c.files) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        bool newDataFile = false;
        const DataFileNaming naming{dir.path(), QString::fromLatin1(c.fileName), c.serialLen,
                                    c.startNo};
        EXPECT_EQ(CreateFileName(naming, newDataFile).toStdString(), c.expected) << c.what;
        EXPECT_TRUE(newDataFile) << c.what;
    }
}

TEST(CreateFileName, FoldersNamedLikeDataFilesDoNotCount) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("DLC_050.csv")));
    bool newDataFile = false;
    EXPECT_EQ(CreateFileName({dir.path(), QStringLiteral("DLC_"), 3, 1}, newDataFile),
              "DLC_001.csv");
}

TEST(CreateFileName, MissingDataFolderGivesTheStartName) {
    QTemporaryDir dir;
    bool newDataFile = false;
    const QString missing = dir.filePath(QStringLiteral("gone"));
    EXPECT_EQ(CreateFileName({missing, QStringLiteral("DLC_"), 4, 1}, newDataFile), "DLC_0001.csv");
    EXPECT_TRUE(newDataFile);
}

TEST(CreateFileName, UnusableDigitCountFailsWithEmptyText) {
    QTemporaryDir dir;
    for (const int serialLen : {0, -1, 16}) {
        bool newDataFile = false;
        EXPECT_TRUE(CreateFileName({dir.path(), QStringLiteral("DLC_"), serialLen, 1}, newDataFile)
                        .isEmpty())
            << serialLen;
        EXPECT_FALSE(newDataFile) << serialLen;
    }
}

} // namespace
