// The plan window: a plan made in the table is refused with the reason at its row while it cannot
// be used, saved once it can, opened again as it was saved, and remembered by the settings file.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "WindowsFixture.h"
#include "plan/ui/PlanWindow.h"

namespace pzam::test {
namespace {

using PlanWindowTest = WindowsTest;

void SetCell(QTableWidget* t, int row, int col, const char* text) {
  t->item(row, col)->setText(QString::fromUtf8(text));
}

TEST_F(PlanWindowTest, APlanIsCheckedAtItsRowsSavedAndOpenedAgain) {
  Start(SettingsText("ReqMode=0", "english"));
  Main->Bu_PlanClick();
  TF_Plan& w = Main->PlanWindow();
  EXPECT_EQ("Inspection plan", w.windowTitle().toStdString());
  EXPECT_EQ("Inspection plan", Main->Bu_Plan->text().toStdString());
  ASSERT_EQ(1, w.Tb_Characteristics->rowCount());
  w.Bu_AddRow->click();
  ASSERT_EQ(2, w.Tb_Characteristics->rowCount());
  QTableWidget* t = w.Tb_Characteristics;
  // Row 1 fine; row 2: limits the wrong way round, a nominal that is no number, no port.
  const char* rows[2][10] = {
      {"Diameter", "20", "19,95", "20.05", "mm", "3", "com5", "0", "duplex", "0"},
      {"Length", "x", "80.1", "79.9", "mm", "2", "", "0", "duplex", "0"}};
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 10; ++c) SetCell(t, r, c, rows[r][c]);
  const std::string file = ProgramDir() + "shaft.ini";
  EXPECT_FALSE(w.SaveAs(file));
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ("", t->item(0, 10)->text().toStdString());
  const std::string problems = t->item(1, 10)->text().toStdString();
  for (const char* field : {"Nominal", "Upper", "Port"})
    EXPECT_NE(std::string::npos, problems.find(field)) << problems;
  EXPECT_NE("", w.Ed_PlanName->toolTip().toStdString()) << "the plan has no name";
  EXPECT_EQ("Not saved: see the marked rows", w.La_State->text().toStdString());

  w.Ed_PlanName->setText("Shaft");
  w.Cb_PartIds->setChecked(true);
  SetCell(t, 1, 1, "80");
  SetCell(t, 1, 2, "79.9");
  SetCell(t, 1, 3, "80.1");
  SetCell(t, 1, 6, "COM5");
  ASSERT_TRUE(w.SaveAs(file)) << t->item(1, 10)->text().toStdString();
  EXPECT_EQ("", t->item(1, 10)->text().toStdString());

  plan::TPlan read;
  std::vector<plan::TPlanProblem> readProblems;
  std::string error;
  ASSERT_TRUE(plan::ReadPlan(file, read, readProblems, error)) << error;
  EXPECT_TRUE(readProblems.empty());
  ASSERT_EQ(2u, read.Characteristics.size());
  EXPECT_EQ(19.95, read.Characteristics[0].Lower);
  EXPECT_EQ(5, read.Characteristics[1].Port);
  EXPECT_TRUE(read.PartIds);

  // The settings file remembers the plan; the next start opens it.
  ASSERT_TRUE(Main->FormClose());
  Config.reset();
  Main.reset();
  Start();
  EXPECT_EQ(file, Main->PlanWindow().Path());
  EXPECT_EQ("Shaft", Main->PlanWindow().Ed_PlanName->text().toStdString());
  EXPECT_EQ(2, Main->PlanWindow().Tb_Characteristics->rowCount());
  EXPECT_FALSE(Main->PlanWindow().Open(ProgramDir() + "lng_english.lng"));
  EXPECT_NE(std::string::npos,
            Main->PlanWindow().La_State->text().toStdString().find("Not a plan:"));
}

}  // namespace
}  // namespace pzam::test
