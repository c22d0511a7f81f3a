#include "base/app_folder.h"
#include "base/gbk.h"
#include "controls/mod_skin.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace lumiqo {
namespace {

class SkinSettings : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    setAppFolderForTesting(dir_.path());
  }
  void TearDown() override { setAppFolderForTesting(QString()); }
  QString write(const QString &name, const QString &text) {
    const QString path = dir_.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(toGbk(text));
    return path;
  }
  QTemporaryDir dir_;
};

TEST_F(SkinSettings, SectionsAndKeysIgnoreCaseAndTheFirstMatchWins) {
  const QString ini = write("s/config.ini", "; comment\r\n"
                                            "[other]\r\nan_stop=1,1\r\n"
                                            "[ POS ]\r\n  An_Stop =  120, 1110 \r\n"
                                            "an_stop=9,9\r\nquoted=\"  a b \"\r\nempty=\r\n"
                                            "[pos]\r\nlater=1\r\n"
                                            "[picture]\r\nan_play=play.bmp\r\n");
  EXPECT_EQ(ReadIniString("pos", "an_stop", "", ini), "120, 1110");
  EXPECT_EQ(ReadIniString("pos", "quoted", "", ini), "  a b ");
  EXPECT_EQ(ReadIniString("pos", "empty", "dflt", ini), "");
  EXPECT_EQ(ReadIniString("pos", "missing", " dflt ", ini), "dflt");
  EXPECT_EQ(ReadIniString("pos", "later", "", ini), ""); // a second [pos] is not read
  EXPECT_EQ(ReadIniString("PICTURE", "AN_PLAY", "", ini), "play.bmp");
  EXPECT_EQ(ReadIniString("pos", "an_stop", "", dir_.filePath("none.ini")), "");
}

TEST_F(SkinSettings, RelativeNamesLieUnderTheProgramFolderWithSeparatorsCollapsed) {
  write("skin2/config.ini", "[pos]\nqorvex_width1=6840\n");
  EXPECT_EQ(ReadIniString("pos", "qorvex_width1", "", "skin2//config.ini"), "6840");
  EXPECT_EQ(ReadIniString("pos", "qorvex_width1", "", "/skin2/config.ini"), ""); // absolute: elsewhere
  EXPECT_EQ(skinSettingsPath("/abs//x.ini"), "/abs//x.ini");
  EXPECT_EQ(skinSettingsPath("a//b.ini"), QDir::cleanPath(dir_.path()) + "/a/b.ini");
}

TEST_F(SkinSettings, ValuesAreCutTo127BytesNeverInsideACharacter) {
  const QString v127 = QString(127, QLatin1Char('x'));
  const QString v128 = QString(128, QLatin1Char('y'));
  const QString wide = QString(64, QChar(0x4E2D)); // 128 GBK bytes
  const QString ini = write("c.ini", "[a]\nv127=" + v127 + "\nv128=" + v128 + "\nwide=" + wide + "\n");
  EXPECT_EQ(ReadIniString("a", "v127", "", ini), v127);
  EXPECT_EQ(ReadIniString("a", "v128", "", ini), v128.left(127));
  EXPECT_EQ(ReadIniString("a", "wide", "", ini), wide.left(63));
}

TEST(SkinPlacement, NumberValuesAndPlacements) {
  EXPECT_EQ(numberValue(" 120"), 120);
  EXPECT_EQ(numberValue("-15.5px"), -15.5);
  EXPECT_EQ(numberValue("abc"), 0);
  EXPECT_EQ(numberValue(""), 0);
  EXPECT_EQ(numberValue("+"), 0);
  EXPECT_EQ(numberValue("１２"), 0); // full-width digits are no number

  QWidget stop;
  stop.setGeometry(8, 74, 25, 25);
  // Two numbers move the control and leave its size alone.
  applyPlacement(stop, parsePlacement("300, 150"));
  EXPECT_EQ(stop.geometry(), QRect(20, 10, 25, 25));
  // Four elements none of which starts with a digit set everything to 0.
  applyPlacement(stop, parsePlacement("a,b,c,d"));
  EXPECT_EQ(stop.geometry(), QRect(0, 0, 0, 0));
  // A rejected value skips that assignment only.
  applyPlacement(stop, parsePlacement("150,150,-30,375"));
  EXPECT_EQ(stop.geometry(), QRect(10, 10, 0, 25));
  applyPlacement(stop, parsePlacement(""));
  EXPECT_EQ(stop.geometry(), QRect(0, 10, 0, 25)); // an empty text is one element: left 0
}

} // namespace
} // namespace lumiqo
