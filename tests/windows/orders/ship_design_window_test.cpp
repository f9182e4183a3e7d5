// "Ship Design", "Standard Ship" and "Calculator" on the real game Orion read as race A with the
// allies B and C (last turn).

#include "windows/orders/ship_design_window.h"

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "controls/beep.h"
#include "controls/calculator_panel.h"
#include "controls/combo_edit.h"
#include "controls/speed_button.h"
#include "controls/spin_edit.h"
#include "core/text/numbers.h"
#include "core/text/str_utils.h"
#include "orders/auto_cargo.h"
#include "orders/development_plan.h"
#include "orders/order_lines.h"
#include "orders/order_service.h"
#include "platform/platform_test_helpers.h"
#include "support/orion_as_a.h"
#include "support/recording_services.h"
#include "support/recording_ui.h"
#include "views/battle_sim_rows.h"
#include "windows/orders/battle_simulator_window.h"
#include "windows/orders/calculator_window.h"
#include "windows/orders/standard_ship_window.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

// The order service of the orders window over a plain list of lines, with the real planner: what
// the designer inserts is analysed as the orders window would.
class AnalysingOrders : public test::RecordingOrders {
 public:
  explicit AnalysingOrders(GameState& state)
      : planner(state), service(state, lines, clipboard, planner) {}
  void InsertOtherCommands(const std::string& text) override {
    RecordingOrders::InsertOtherCommands(text);
    service.InsertOtherCommands(text);
  }
  void AnalyseOrders() override {
    RecordingOrders::AnalyseOrders();
    service.AnalyseOrders();
  }
  TVectorOrderLines lines;
  TRecordingTextSink clipboard;
  TDevelopmentPlanner planner;
  TOrderService service;
};

class ShipDesignWindow : public testing::Test {
 protected:
  void SetUp() override {
    game_ = test::Orion();
    if (!game_) GTEST_SKIP() << test::ReportsAbsent("orion");
    previousBeep_ = SetBeepHook([] {});
    orders_ = std::make_unique<AnalysingOrders>(game_->state);
    services_.Orders = orders_.get();
    services_.BattleSimulator = &simulator_;
    services_.Calculator = &calculator_;
    designer_ = std::make_unique<TfrmShipDesign>(
        game_->state, store_, ui_, [this]() -> const TServices& { return services_; });
    standard_ = std::make_unique<TfrmStdShip>(store_, ui_, *designer_,
                                              [this]() -> const TServices& { return services_; });
    designer_->StdShipChanged = [this] { standard_->Sync(); };
    designer_->ShowStdShipWindow = [this] { standard_->ShowInFront(); };
    designer_->Refresh(false);
  }
  void TearDown() override {
    if (game_) SetBeepHook(previousBeep_);
  }

  GameState& State() { return game_->state; }
  TPlayer& Own() { return *State().MainPlayer; }
  TShipType& OwnType(const std::string& name) { return *Own().FindShipType(name); }
  void ShowType(const std::string& name) {
    QListWidget* list = designer_->TypeList();
    const auto found = list->findItems(QString::fromStdString(name), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name;
    designer_->SelectType(list->row(found[0]));
  }
  std::string EditText(int field) { return designer_->Edit(field)->text().toStdString(); }
  std::string Figure(int row, int column) {
    return Trim(designer_->FigureLabel(row, column)->text().toStdString());
  }

  test::OrionAsA* game_ = nullptr;
  BeepHook previousBeep_;
  test::TempDir folder_;
  TznSaveState store_{(folder_.path() / "TovixStore3.ini").string()};
  test::RecordingUserInterface ui_;
  TfrmBattleSimulator simulator_{store_, ui_};
  TfrmCalculate calculator_{store_};
  std::unique_ptr<AnalysingOrders> orders_;
  TServices services_;
  std::unique_ptr<TfrmShipDesign> designer_;
  std::unique_ptr<TfrmStdShip> standard_;
};

// The own race is shown first; Cruiser2 (22 4 5 8 0) with A's latest technology weighs 42.50,
// and three of them join the attackers with the figures the simulator shows for such a group.
TEST_F(ShipDesignWindow, AddToAttackersPutsTheDesignIntoTheSimulator) {
  EXPECT_EQ(designer_->PlayerBox()->currentText().toStdString(), Own().Name);
  ShowType("Cruiser2");
  EXPECT_EQ(EditText(dfDrive), "22.00");
  EXPECT_EQ(EditText(dfAttacks), "  4");
  EXPECT_EQ(EditText(dfWeaponsTech), Fmt("%5.2f", Own().GetWeapons(-1)));
  EXPECT_EQ(Figure(0, 4), "42.50");
  EXPECT_EQ(Figure(1, 4), "42.50");  // no cargo space: loaded as empty

  designer_->AttackersCount()->SetAsInteger(3);
  designer_->AddToAttackers();
  ASSERT_EQ(simulator_.Groups(TfrmBattleSimulator::sdAttackers).size(), 1u);
  TGroup expected;
  expected.ShipType = &OwnType("Cruiser2");
  expected.Owner = &Own();
  expected.Ships = 3;
  expected.DriveTech = Own().GetDrive(-1);
  expected.WeaponsTech = Own().GetWeapons(-1);
  expected.ShieldsTech = Own().GetShields(-1);
  expected.CargoTech = Own().GetCargo(-1);
  const std::vector<std::string> cells = BattleGridRow(expected, true);
  QTableWidget* grid = simulator_.Grid(TfrmBattleSimulator::sdAttackers);
  ASSERT_EQ(grid->rowCount(), 2);  // the group and the empty row below
  for (int c = 0; c < kBattleGridColumns; ++c)
    EXPECT_EQ(grid->item(0, c)->text().toStdString(), cells[static_cast<size_t>(c)])
        << kBattleGridCaptions[c];
  EXPECT_EQ(cells[0], "3");
  EXPECT_EQ(cells[2], "Cruiser2");
}

// An edited Cruiser2 written as "Lancer" and analysed is a design of the designer's mass.
TEST_F(ShipDesignWindow, DesignLineAnalysedGivesATypeOfTheDesignersMass) {
  ShowType("Cruiser2");
  designer_->Edit(dfDrive)->setText("25");
  designer_->Edit(dfShields)->setText("9.5");
  EXPECT_EQ(Figure(0, 4), "47.00");
  std::vector<std::string> asked;
  designer_->SetAskText([&asked](const std::string& title, const std::string& prompt,
                                 const std::string&) -> std::optional<std::string> {
    asked.push_back(title + "/" + prompt);
    return " Lancer ";
  });
  designer_->OrdersClicked();
  EXPECT_EQ(asked, std::vector<std::string>{"Shiptype/Enter Name:"});
  EXPECT_EQ(orders_->inserted, std::vector<std::string>{"other: D Lancer 25 4 5.00 9.5 0.00"});
  EXPECT_EQ(orders_->analysed, 1);
  const std::vector<TOrderDesign>& designs = orders_->planner.OrderDesigns();
  ASSERT_EQ(designs.size(), 1u);
  TShipType analysed(designs[0].Name, TGameType::NG);
  analysed.Drive = designs[0].Drive;
  analysed.Attacks = designs[0].Attacks;
  analysed.Weapons = designs[0].Weapons;
  analysed.Shields = designs[0].Shields;
  analysed.Cargo = designs[0].Cargo;
  EXPECT_EQ(designs[0].Name, "lancer");
  EXPECT_EQ(Fmt("%5.2f", analysed.Mass()), "47.00");
}

// A value the game refuses is marked and asked about; a text that is no number blanks the
// figures and is named in a message; a "," is not typed at all.
TEST_F(ShipDesignWindow, RefusedValuesAndTextsThatAreNoNumber) {
  ShowType("Fighter");
  designer_->Edit(dfWeapons)->setText("0.5");
  EXPECT_TRUE(designer_->Marked(dfWeapons));
  EXPECT_FALSE(designer_->Marked(dfDrive));
  EXPECT_FALSE(Figure(0, 4).empty());
  designer_->SetAskText([](auto&&...) -> std::optional<std::string> { return "Small"; });
  ui_.answers = {false};
  designer_->OrdersClicked();
  ASSERT_EQ(ui_.questions.size(), 1u);
  EXPECT_NE(ui_.questions[0].find("Weapons 0.50"), std::string::npos) << ui_.questions[0];
  EXPECT_TRUE(orders_->inserted.empty());
  ui_.answers = {true};
  designer_->OrdersClicked();
  EXPECT_EQ(orders_->inserted.size(), 1u);

  designer_->Edit(dfShields)->setText("abc");
  EXPECT_TRUE(designer_->Marked(dfShields));
  EXPECT_EQ(Figure(0, 4), "");
  designer_->OrdersClicked();
  designer_->AddToDefenders();
  EXPECT_EQ(ui_.messages, (std::vector<std::string>{"Shields: \"abc\" is not a number.",
                                                    "Shields: \"abc\" is not a number."}));
  EXPECT_EQ(orders_->inserted.size(), 1u);
  EXPECT_TRUE(simulator_.Groups(TfrmBattleSimulator::sdDefenders).empty());

  QLineEdit* cargo = designer_->Edit(dfCargo);
  cargo->setText("1");
  cargo->setFocus();
  cargo->end(false);
  QTest::keyClicks(cargo, ",5x.5");
  EXPECT_EQ(cargo->text().toStdString(), "15.5");
}

// The cargo use of an own type is kept in the store at once and set on the type; after a
// restart (a new store read from the file, the type read afresh) the next automatic cargo plan
// loads COL into the Haulers standing at ArcturansForge for a developing planet.
TEST_F(ShipDesignWindow, CargoUseSurvivesARestartAndThePlanUsesIt) {
  TShipType& hauler = OwnType("Hauler");
  const auto plan = [this] {
    TDevelopmentPlanner planner(State());
    return AutomaticLoadAndSendCargo(planner, TVectorOrderLines({";P 76", ";P 85", ";P 165"}),
                                     TAutoCargoSettings(), false)
        .Lines;
  };
  EXPECT_EQ(plan(), std::vector<std::string>{});

  ShowType("Hauler");
  ASSERT_TRUE(designer_->CargoUseBox()->isEnabled());
  designer_->CargoUseBox()->setCurrentIndex(1);
  EXPECT_EQ(hauler.CargoUse, TCargoUse::Col);
  EXPECT_EQ(store_.ReadInteger("TfrmShipDesign", "Shiptype_Hauler", -1), 1);
  store_.UpdateFile();

  hauler.CargoUse = TCargoUse::None;
  TznSaveState restarted(store_.FileName());
  ReadCargoUses(restarted, State());
  EXPECT_EQ(hauler.CargoUse, TCargoUse::Col);
  EXPECT_EQ(plan(), (std::vector<std::string>{"B 14 2", "L MAX COL", "S MAX 165"}));

  // Other races' types have no cargo use to choose.
  hauler.CargoUse = TCargoUse::None;
  designer_->SelectPlayer(designer_->PlayerBox()->currentIndex() == 0 ? 1 : 0);
  EXPECT_FALSE(designer_->CargoUseBox()->isEnabled());
}

// The productivity box's calculator: 2*6= and OK put 12 into the box ("%5.0f"); Cancel keeps it;
// 5+3 and OK put 8.
TEST_F(ShipDesignWindow, CalculatorOfTheProductivityBox) {
  designer_->ProductivityBox()->setText("10.50");
  std::vector<std::string> shown;
  const auto calculate = [&](std::initializer_list<TCalcButton> buttons) {
    test::ModalAnswerer answerer([&](QWidget* modal) {
      auto* calc = qobject_cast<TfrmCalculate*>(modal);
      ASSERT_NE(calc, nullptr);
      shown.push_back(calc->Panel()->DisplayText().toStdString());
      for (TCalcButton b : buttons) calc->Panel()->Button(b)->Click();
    });
    designer_->CalculatorClicked();
  };
  calculate({cbNum2, cbMultiply, cbNum6, cbEquals, cbOk});
  EXPECT_EQ(designer_->ProductivityBox()->text().toStdString(), "   12");
  calculate({cbNum5, cbCancel});
  EXPECT_EQ(designer_->ProductivityBox()->text().toStdString(), "   12");
  // OK finishes a pending operation.
  calculate({cbNum5, cbAdd, cbNum3, cbOk});
  EXPECT_EQ(designer_->ProductivityBox()->text().toStdString(), "    8");
  EXPECT_EQ(shown, (std::vector<std::string>{"10.5", "12", "12"}));
  EXPECT_FALSE(calculator_.isVisible());
}

// What the orders window uses; setting it from outside does not bring up the window, and the
// turns and items stay in their ranges. (The orders window's test sets the options through it.)
TEST_F(ShipDesignWindow, StandardShipServiceForTheOrdersWindow) {
  IShipDesignService& service = *designer_;
  designer_->show();
  EXPECT_TRUE(service.StdShipName().empty());
  service.SetProductivity(10);
  service.SetTurns(1);
  EXPECT_EQ(designer_->ProductivityBox()->text().toStdString(), "10.00");
  ASSERT_TRUE(service.GenerateStandardShip());
  EXPECT_EQ(service.StdShipLine(), "D AM12_10 5.00 1 2.50 2.50 0 ; 1 turns to build");
  EXPECT_EQ(EditText(dfDrive), "5.00");
  EXPECT_EQ(Figure(0, 4), "10.00");
  EXPECT_EQ(standard_->windowTitle().toStdString(), "Standard Ship (AM12_10)");

  service.SetStdShipOption(TStdShipOption::Speed, 6);
  EXPECT_TRUE(standard_->Options(TStdShipOption::Speed)->button(6)->isChecked());
  service.SetStdShipOption(TStdShipOption::Speed, 7);  // no such item
  EXPECT_EQ(service.StdShipOption(TStdShipOption::Speed), 6);
  service.SetUseOneCargo(true);
  EXPECT_TRUE(standard_->UseOneCargoBox()->isChecked());
  EXPECT_EQ(service.StdShipLine(), "D FM12_9c 0 1 4.50 4.50 1 ; 1 turns to build");
  ASSERT_TRUE(service.StdShip());
  EXPECT_FLOAT_EQ(service.StdShip()->CargoValue, 1);

  service.SetTurns(25);
  EXPECT_EQ(service.Turns(), 20);
  service.SetTurns(2);
  service.SetProductivity(1.4);
  EXPECT_FALSE(service.GenerateStandardShip());
  EXPECT_EQ(service.StdShipName(), "FM12_9c");
  EXPECT_FALSE(standard_->isVisible());
  service.ShowStandardShips();
  EXPECT_TRUE(standard_->isVisible());
}

// An own planet's ship mass per turn becomes the productivity while the designer is shown with
// "Follow Selected Planets" on, and its standard ship shows; other planets change nothing. After
// an analysis the type and the values being edited stay; a new game shows the first type.
TEST_F(ShipDesignWindow, FollowsTheChosenOwnPlanetAndKeepsItsEditsOverAnAnalysis) {
  TPlanet* forge = State().PlanetByName("ArcturansForge");
  TPlanet* foreign = nullptr;
  for (auto [key, planet] : State().Planets)
    if (planet->Owner.IsPlayer() && planet->Owner.Player() != &Own()) foreign = planet;
  ASSERT_NE(foreign, nullptr);
  designer_->ProductivityBox()->setText("1");
  designer_->FollowPlanet(forge);  // hidden: nothing
  designer_->show();
  designer_->FollowPlanet(forge);  // "Follow Selected Planets" off
  designer_->FollowBox()->setChecked(true);
  designer_->FollowPlanet(foreign);
  EXPECT_EQ(designer_->ProductivityBox()->text().toStdString(), "1");
  designer_->FollowPlanet(forge);
  const std::string mass = Fmt("%5.2f", forge->ShipMassPerTurn(State().DevelopmentPlan()));
  EXPECT_EQ(designer_->ProductivityBox()->text().toStdString(), mass);
  EXPECT_TRUE(standard_->isVisible());
  EXPECT_NE(designer_->StdShipName(), "");

  ShowType("Cruiser2");
  designer_->Edit(dfDrive)->setText("30");
  designer_->NoteGameChange(gcOrdersAnalysed);
  EXPECT_EQ(designer_->TypeList()->currentItem()->text().toStdString(), "Cruiser2");
  EXPECT_EQ(EditText(dfDrive), "30");
  designer_->NoteGameChange(gcGameRead);
  EXPECT_EQ(designer_->TypeList()->currentRow(), 0);
  EXPECT_EQ(EditText(dfDrive),
            Fmt("%5.2f",
                Own().FindShipType(designer_->TypeList()->item(0)->text().toStdString())->Drive));
}

// The standard window keeps its choices, "Use 1 Cargo Space" and its list of extra designs in
// the store; an empty list gets the eight ready-made designs when the window shows.
TEST_F(ShipDesignWindow, StandardShipWindowKeepsItsChoices) {
  standard_->show();
  const QStringList extra = standard_->ExtraDesigns()->toPlainText().split('\n');
  ASSERT_EQ(extra.size(), kExtraDesignCount);
  EXPECT_TRUE(standard_->ExtraDesigns()->isHidden());
  standard_->ExtraClicked();
  EXPECT_FALSE(standard_->ExtraDesigns()->isHidden());
  EXPECT_EQ(standard_->ExtraButton()->text().toStdString(), "<<");
  standard_->Options(TStdShipOption::Weapons)->button(3)->click();
  standard_->Options(TStdShipOption::Shields)->button(13)->click();
  standard_->UseOneCargoBox()->click();
  // Every line comes back, the empty ones and a last empty one too.
  const std::string extraText = "D mine 1 0 0 0 0\n\nD yours 2, \"x\" 0 0 0 0\n";
  standard_->ExtraDesigns()->setPlainText(QString::fromStdString(extraText));
  standard_->SaveState();
  EXPECT_EQ(store_.ReadString("StandardShip", "RadioGroup2.ItemIndex", ""), "3");
  EXPECT_EQ(store_.ReadString("StandardShip", "RadioGroup3.ItemIndex", ""), "13");
  EXPECT_EQ(store_.ReadString("StandardShip", "cbxUse1CargoSpace.Checked", ""), "1");

  TfrmShipDesign designer(State(), store_, ui_, [this]() -> const TServices& { return services_; });
  TfrmStdShip standard(store_, ui_, designer, [this]() -> const TServices& { return services_; });
  designer.StdShipChanged = [&standard] { standard.Sync(); };
  standard.LoadState();
  EXPECT_EQ(designer.StdShipOption(TStdShipOption::Speed), 1);
  EXPECT_EQ(designer.StdShipOption(TStdShipOption::Weapons), 3);
  EXPECT_EQ(designer.StdShipOption(TStdShipOption::Shields), 13);
  EXPECT_TRUE(designer.UseOneCargo());
  EXPECT_TRUE(standard.Options(TStdShipOption::Weapons)->button(3)->isChecked());
  EXPECT_EQ(standard.ExtraDesigns()->toPlainText().toStdString(), extraText);
  EXPECT_FALSE(standard.ExtraDesigns()->isHidden());

  // "Orders" writes the line of the design for the designer's productivity.
  designer.SetProductivity(14);
  standard.OrdersClicked();
  EXPECT_EQ(orders_->inserted,
            std::vector<std::string>{"other: D ASc00_13c 7.00 11 1.00 0.00 1 ; 1 turns to build"});
}

}  // namespace
}  // namespace tovix
