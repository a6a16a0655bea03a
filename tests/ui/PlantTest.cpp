// The way to the plant data settings and the main window's link indicator: settings that cannot
// be used are refused beside their field, applied ones take effect at once and are written into
// a settings file only its owner may read.
#include <sys/stat.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "WindowsFixture.h"
#include "app/PlantDialog.h"
#include "app/PlantLink.h"
#include "config/PlantSettings.h"

namespace pzam::test {
namespace {

// Runs `work` on the plant dialog once it is shown (it runs modal).
void OnDialog(std::function<void(TPlantDialog&)> work) {
  QTimer::singleShot(0, [work] {
    auto* dialog = dynamic_cast<TPlantDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(nullptr, dialog);
    work(*dialog);
  });
}

unsigned ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

using PlantWindowsTest = WindowsTest;

TEST_F(PlantWindowsTest, RefusedFieldsShowTheirReasonAndAppliedOnesAreWrittenPrivately) {
  Start(SettingsText("ReqMode=3", "english"));
  ::chmod(SettingsPath().c_str(), 0644);
  EXPECT_EQ("\u25CF Plant: not configured", Main->Plant().Indicator()->text().toStdString());
  EXPECT_TRUE(Main->Plant().Indicator()->isVisible() || !Main->isVisible());

  std::vector<std::string> refused;
  OnDialog([&](TPlantDialog& d) {
    d.Ed_Station->setText("line/1");
    d.Ed_Broker->setText("mqtt//nohost");
    d.Ed_CAFile->setText(QString::fromStdString(ProgramDir() + "missing-ca.pem"));
    d.Bu_Apply->click();
    for (QLabel* reason : d.Reasons) refused.push_back(reason->text().toStdString());
    EXPECT_TRUE(d.isVisible()) << "refused settings keep the dialog open";
    d.Ed_Station->setText("line-1");
    d.Ed_Broker->setText("mqtt://127.0.0.1:1");
    d.Ed_CAFile->clear();
    d.Bu_Apply->click();
  });
  Config->Bu_Plant->click();
  ASSERT_EQ(6u, refused.size());
  EXPECT_NE("", refused[0]);  // station
  EXPECT_NE("", refused[1]);  // broker
  EXPECT_EQ("", refused[2]);  // user
  EXPECT_NE("", refused[4]);  // CA file

  EXPECT_EQ("line-1", Main->Plant().Station());
  const TPlantSettings stored = ReadPlantSettings(SettingsPath());
  EXPECT_TRUE(stored.Present);
  EXPECT_EQ("mqtt://127.0.0.1:1", stored.Broker);
  EXPECT_EQ(0600u, ModeOf(SettingsPath()));
  // Nobody listens on port 1: the link waits, counting what the journal holds.
  EXPECT_TRUE(WaitUntil([&] {
    return Main->Plant().Indicator()->text().contains("values waiting");
  })) << Main->Plant().Indicator()->text().toStdString();

  // Closing writes the section again, after the others.
  ASSERT_TRUE(Main->FormClose());
  std::ifstream in(SettingsPath(), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_GT(text.find("[Plant]"), text.find("[Language]")) << text;
  EXPECT_EQ(0600u, ModeOf(SettingsPath()));
}

TEST_F(PlantWindowsTest, CancelChangesNothingAndARunLocksTheWay) {
  const std::string settings = SettingsText("ReqMode=3", "english");
  Start(settings);
  OnDialog([](TPlantDialog& d) {
    d.Ed_Broker->setText("mqtt://127.0.0.1:1");
    d.Bu_Cancel->click();
  });
  Config->Bu_Plant->click();
  EXPECT_FALSE(ReadPlantSettings(SettingsPath()).Present);
  EXPECT_EQ("\u25CF Plant: not configured", Main->Plant().Indicator()->text().toStdString());
  Config->SetChoicesEnabled(false);
  EXPECT_FALSE(Config->Bu_Plant->isEnabled());
  Config->SetChoicesEnabled(true);
  EXPECT_TRUE(Config->Bu_Plant->isEnabled());
}

}  // namespace
}  // namespace pzam::test
