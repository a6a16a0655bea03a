// The plan window: a plan made in the table is refused with the reason at its row while it cannot
// be used, saved once it can, opened again as it was saved, and remembered by the settings file.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <set>

#include "WindowsFixture.h"
#include "plan/ui/PlanTexts.h"
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

// Every problem a plan can have, from its checks and from reading its file: the window says each in
// its language, with the problem's values each in its place.
TEST_F(PlanWindowTest, EveryProblemIsSaidInTheWindowsLanguage) {
  std::vector<plan::TPlanProblem> all;
  const auto add = [&](const std::vector<plan::TPlanProblem>& problems) {
    all.insert(all.end(), problems.begin(), problems.end());
  };
  plan::TPlan p;  // no name, no characteristic
  add(plan::CheckPlan(p));
  p.Name = "P";
  p.Characteristics.assign(100, {.Name = "c", .Port = 1});
  add(plan::CheckPlan(p));
  p.Characteristics = {
      {.Name = "", .Nominal = 5, .Lower = 3, .Upper = 2, .Decimals = 7, .Mode = 1, .Cable = 2},
      {.Name = "b", .Port = 100},
      {.Name = "c", .Port = 3},
      {.Name = "d", .Port = 3, .Mode = 2}};
  add(plan::CheckPlan(p));
  std::string file =
      "[Plan]\nName=P\nPartIds=on\n[Characteristic1]\nName=c\nNominal=x\n"
      "Decimals=2.5\nPort=COM0\nMode=1\nCable=full\n";
  for (int i = 2; i <= 100; ++i) file += "[Characteristic" + std::to_string(i) + "]\nName=c\n";
  const std::string bad = ProgramDir() + "bad.ini", none = ProgramDir() + "none.ini";
  WriteFile(bad, file);
  WriteFile(none, "[Characteristic1]\nName=c\n");
  for (const std::string& path : {bad, none, ProgramDir() + "missing.ini"}) {
    plan::TPlan read;
    std::vector<plan::TPlanProblem> problems;
    std::string error;
    plan::ReadPlan(path, read, problems, error);
    add(problems);
  }
  std::set<plan::TPlanProblemKind> kinds;
  for (const auto& problem : all) kinds.insert(problem.Kind);
  ASSERT_EQ(static_cast<int>(kinds.size()), plan::kPlanProblemKinds);

  const struct {
    const char* language;
    plan::TPlanProblem problem;
    std::string said;
  } spots[] = {
      {"deutsch", all.front(), "Prüfplan: Der Prüfplan hat keinen Namen"},
      {"deutsch",
       {2, "Port", "", plan::TPlanProblemKind::NoPort, {}},
       "Schnittstelle: Keine Schnittstelle gewählt"},
      {"english",
       {1, "Upper", "", plan::TPlanProblemKind::LowerNotBelowUpper, {"3", "2"}},
       "Upper: The lower limit 3 is not below the upper limit 2"},
  };
  for (const char* language : {"deutsch", "english"}) {
    Config.reset();
    Main.reset();
    Start(SettingsText("ReqMode=0", language));
    const std::string lng = LanguageFilePath(ProgramDir(), language);
    for (const auto& problem : all) {
      const std::string text = Main->PlanWindow().ProblemText(problem);
      const std::string raw =
          LanguageText(lng, language, textid::kPlanProblemTexts[static_cast<int>(problem.Kind)]);
      std::size_t marks = 0;
      for (std::size_t at = raw.find("%s"); at != std::string::npos; at = raw.find("%s", at + 2))
        ++marks;
      EXPECT_EQ(marks, problem.Args.size()) << language << ": " << raw;
      EXPECT_EQ(text.find("%s"), std::string::npos) << text;
      for (const std::string& arg : problem.Args)
        EXPECT_NE(text.find(arg), std::string::npos) << text << " / " << arg;
    }
    for (const auto& spot : spots) {
      if (std::string(spot.language) != language) continue;
      EXPECT_EQ(Main->PlanWindow().ProblemText(spot.problem), spot.said);
    }
  }
  // The run is refused in the window's language, the characteristic named by its number.
  TF_Plan& w = Main->PlanWindow();
  w.Ed_PlanName->setText("P");
  SetCell(w.Tb_Characteristics, 0, 0, "Bore");
  std::string error;
  plan::TPlan measured;
  EXPECT_FALSE(w.PlanToMeasure(measured, error));
  EXPECT_EQ("Characteristic 1, Port: No port is chosen", error);
  SetCell(w.Tb_Characteristics, 0, 6, "COM3");
  EXPECT_FALSE(w.PlanToMeasure(measured, error));
  EXPECT_EQ("not saved yet", error);
}

}  // namespace
}  // namespace pzam::test
