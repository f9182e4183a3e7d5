// Every place where typed text becomes order lines, a stored name or a settings file, given a
// character its target cannot hold ("ł", which went into the orders as "?" without a word): the
// user is told the character by name, the text stays where it was typed for correction, and the
// target keeps what it held. "€" shows that each place uses its target's own code page: order
// lines and mails are Windows-1252 and take it, names and settings are Latin-1 and refuse it.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/text/str_utils.h"
#include "orders/order_lines.h"
#include "platform/platform_test_helpers.h"
#include "platform/typed_text.h"
#include "support/orders_fixture.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"
#include "windows/expressions/expression_dialogs.h"
#include "windows/frame/config_dialog.h"
#include "windows/lists/players_window.h"
#include "windows/orders/auto_cargo_settings.h"
#include "windows/orders/mail_settings_dialog.h"
#include "windows/orders/setup_orders_dialog.h"
#include "windows/orders/ship_design_window.h"
#include "windows/orders/standard_ship_window.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

const QString kPolishL = QString::fromUtf8("Hi\xC5\x82");   // "Hił"
const QString kEuro = QString::fromUtf8("Hi\xE2\x82\xAC");  // "Hi€"

struct Outcome {
  std::vector<std::string> told;  // the UTF-8 messages
  bool kept = false;              // the text stayed where it was typed
  std::string before;             // the target's bytes before and after
  std::string after;
};

struct Place {
  const char* name;
  TCodePage page;
  std::function<Outcome(const QString& typed)> run;
};

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

void PressOk(QWidget& dialog) {
  auto* buttons = dialog.findChild<QDialogButtonBox*>();
  ASSERT_NE(buttons, nullptr);
  buttons->button(QDialogButtonBox::Ok)->click();
}

void MakeOneRaceGame(GameState& state) {
  state.GameName = "Terra";
  auto race = std::make_unique<TPlayer>(1);
  race->Name = "Humans";
  state.MainPlayer = race.get();
  state.Players.AddObject("humans", std::move(race));
  auto planet = std::make_unique<TPlanet>("Alpha");
  planet->Size = 100;
  planet->Population = 50;
  planet->Owner = TOwnerRef::Of(state.MainPlayer);
  state.AddPlanet("alpha", std::move(planet), 0);
}

Outcome MessageDialog(const QString& typed) {
  test::RecordingUserInterface ui;
  TfrmCreateMessage dialog(ui);
  dialog.Setup("Aliens");
  Outcome o;
  test::ModalAnswerer answer([&](QWidget* modal) {
    auto* shown = qobject_cast<TfrmCreateMessage*>(modal);
    ASSERT_NE(shown, nullptr);
    shown->Memo()->setPlainText(typed);
    PressOk(*shown);
    o.kept = shown->isVisible() && shown->Memo()->toPlainText() == typed;
    if (shown->isVisible()) shown->reject();
  });
  // The block goes into the orders, the memo alone into a relay mail.
  if (dialog.exec() == QDialog::Accepted)
    o.after = dialog.GetMessageText() + "|" + dialog.MemoText();
  o.told = ui.utf8Messages;
  return o;
}

Outcome RaceNameInputBox(const QString& typed) {
  GameState state;
  MakeOneRaceGame(state);
  test::OrdersFixture f(state);
  Outcome o;
  o.before = Joined(f.Lines());
  test::ModalAnswerer answer([&](QWidget* modal) {
    auto* box = qobject_cast<QInputDialog*>(modal);
    ASSERT_NE(box, nullptr);
    box->setTextValue(typed);
    PressOk(*box);
    o.kept = box->isVisible() && box->textValue() == typed;
    if (box->isVisible()) box->reject();
  });
  test::FindAction(f.window, "Change &Race Name")->trigger();
  o.after = Joined(f.Lines());
  o.told = f.ui.utf8Messages;
  return o;
}

Outcome SetupOrdersFirstLine(const QString& typed) {
  GameState state;
  MakeOneRaceGame(state);
  test::RecordingUserInterface ui;
  ui.answers = {true};  // replace the old orders
  TVectorOrderLines lines({"#GALAXY terra Humans", "#END"});
  TfrmSetupOrders dialog(state, ui, nullptr);
  dialog.SetLines(&lines);
  Outcome o;
  o.before = Joined(lines.Lines());
  dialog.FirstLine()->setText(typed);
  dialog.Confirm();
  o.kept = dialog.result() != QDialog::Accepted && dialog.FirstLine()->text() == typed;
  o.after = Joined(lines.Lines());
  o.told = ui.utf8Messages;
  return o;
}

std::string ExpressionListText(const TExpressions& list) {
  std::string text;
  for (const TExpressionItem& item : list.ExpressionList)
    text += item.ExpressionName + "=" + item.Expression + "\n";
  return text;
}

Outcome ExpressionName(const QString& typed) {
  test::RecordingUserInterface ui;
  TExpressions list;
  list.Add().ExpressionName = "Big";
  list.ExpressionList[0].Expression = "[PT_SIZE]>500";
  Outcome o;
  o.before = ExpressionListText(list);
  test::ModalAnswerer answer([&](QWidget* modal) {
    auto* builder = qobject_cast<TfrmExpressionBuilder*>(modal);
    ASSERT_NE(builder, nullptr);
    builder->Memo()->setPlainText("[PT_SIZE]>5");
    builder->NameField()->setText(typed);
    builder->OkButton()->click();
    o.kept = builder->isVisible() && builder->NameField()->text() == typed;
    if (builder->isVisible()) builder->reject();
  });
  int index = -1;
  TfrmExpressionBuilder::Execute(TExpressionKind::Planets, list, index, {}, ui, nullptr);
  o.after = ExpressionListText(list);
  o.told = ui.utf8Messages;
  return o;
}

Outcome ConfigGameName(const QString& typed) {
  test::TempDir folder;
  const fs::path ini = folder.path() / "Tovix.ini";
  std::ofstream(ini, std::ios::binary)
      << "[RUN]\r\ngame=1\r\n[1]\r\nName=Orion\r\nspelD=/g/orion/%1s%0.03d.txt\r\nspelC=A\r\n";
  test::RecordingUserInterface ui;
  TznSaveState store("");
  Outcome o;
  o.before = test::ReadFileBytes(ini);
  {
    TfrmConfigIni window(store, folder.path(), ui);
    window.SetCurrentGameSection("1");
    window.show();
    auto* name = window.findChild<QLineEdit*>("edtName");
    name->setText(typed);
    window.findChild<QPushButton*>("btnSave")->click();
    o.kept = window.isVisible() && name->text() == typed;
    window.hide();
  }
  o.after = test::ReadFileBytes(ini);
  o.told = ui.utf8Messages;
  return o;
}

Outcome MailServerName(const QString& typed) {
  test::TempDir folder;
  TznSaveState store("");
  test::RecordingUserInterface ui;
  TQtMailPrompts prompts{ui};
  TMailService mail{store, folder.path(), ui, prompts};
  Outcome o;
  o.before = ReadMailSettings(store).Smtp.Host;
  TfrmMailSettings dialog(mail, ui);
  dialog.Host()->setText(typed);
  dialog.Confirm();
  o.kept = dialog.result() != QDialog::Accepted && dialog.Host()->text() == typed;
  o.after = ReadMailSettings(store).Smtp.Host;
  o.told = ui.utf8Messages;
  return o;
}

Outcome CargoReferencePlanet(const QString& typed) {
  GameState state;
  MakeOneRaceGame(state);
  TznSaveState store("");
  test::RecordingUserInterface ui;
  TfrmAutoCargoSettings dialog(state, store, ui);
  TAutoCargoSettings settings;
  settings.BuildPlanet = "Alpha";
  dialog.ShowSettings(settings);
  dialog.SaveState();
  const auto stored = [&store] {
    return store.ReadString("AutoCargoSettings_Terra", "cbxBuildPlanet", "(none)");
  };
  Outcome o;
  o.before = stored();
  dialog.show();
  auto* box = dialog.findChild<QComboBox*>("cbxBuildPlanet");
  box->setEditText(typed);
  // What the title bar's close button asks (a close the offscreen platform cannot send).
  o.kept = !dialog.MayClose() && dialog.isVisible() && box->currentText() == typed;
  dialog.SaveState();  // as the program's end would
  dialog.hide();
  o.after = stored();
  o.told = ui.utf8Messages;
  return o;
}

Outcome StandardShipMemo(const QString& typed) {
  GameState state;
  MakeOneRaceGame(state);
  TznSaveState store("");
  test::RecordingUserInterface ui;
  TServices services;
  const auto source = [&services]() -> const TServices& { return services; };
  TfrmShipDesign designer(state, store, ui, source);
  TfrmStdShip standard(store, ui, designer, source);
  standard.show();
  standard.ExtraDesigns()->setPlainText("Scout 1 0 0 0 0");
  standard.SaveState();
  const auto stored = [&store] {
    return store.ReadString("StandardShip", "Memo1.Lines.CommaText", "(none)");
  };
  Outcome o;
  o.before = stored();
  standard.ExtraDesigns()->setPlainText("Scout 1 0 0 0 0\n" + typed);
  standard.findChild<QPushButton*>("btnClose")->click();
  o.kept = standard.isVisible() && standard.ExtraDesigns()->toPlainText().endsWith(typed);
  if (o.kept) ui.utf8Messages.clear();  // the close told; the save tells again
  standard.SaveState();
  standard.hide();
  o.after = stored();
  o.told = ui.utf8Messages;
  return o;
}

const Place kPlaces[] = {
    {"the message dialog", TCodePage::Windows1252, MessageDialog},
    {"an input box (Change Race Name)", TCodePage::Windows1252, RaceNameInputBox},
    {"Setup orders' first line", TCodePage::Windows1252, SetupOrdersFirstLine},
    {"an expression's name", TCodePage::Latin1, ExpressionName},
    {"the game name in the configuration", TCodePage::Latin1, ConfigGameName},
    {"the mail server's name", TCodePage::Latin1, MailServerName},
    {"the cargo settings' reference planet", TCodePage::Latin1, CargoReferencePlanet},
    {"the standard ships' extra designs", TCodePage::Latin1, StandardShipMemo},
};

TEST(TypedText, EveryConvertingPlaceNamesWhatItsTargetCannotHoldAndWritesNoQuestionMark) {
  test::TempDir home;
  test::ScopedEnv scopedHome("HOME", home.path().string());
  for (const Place& place : kPlaces) {
    SCOPED_TRACE(place.name);
    const Outcome refused = place.run(kPolishL);
    EXPECT_EQ(refused.told.size(), 1u);
    EXPECT_NE(Joined(refused.told).find("\xC5\x82 (U+0142)"), std::string::npos);
    EXPECT_TRUE(refused.kept) << "the text stays for correction";
    EXPECT_EQ(refused.after, refused.before) << "the target is unchanged";
    EXPECT_EQ(refused.after.find('?'), std::string::npos);

    const Outcome euro = place.run(kEuro);
    if (place.page == TCodePage::Windows1252) {
      EXPECT_TRUE(euro.told.empty()) << "the orders hold the euro sign";
      EXPECT_NE(euro.after.find("Hi\x80"), std::string::npos) << euro.after;
    } else {
      EXPECT_EQ(euro.told.size(), 1u);
      EXPECT_NE(Joined(euro.told).find("\xE2\x82\xAC (U+20AC)"), std::string::npos);
      EXPECT_TRUE(euro.kept);
      EXPECT_EQ(euro.after, euro.before);
    }
  }
}

// File names chosen or typed reach the file system whole, and come back into the dialogs as they
// were: "Łódź" went through Latin-1 as "?ód?", another folder.
TEST(TypedText, FileNamesReachTheFileSystemWhole) {
  test::TempDir home;
  test::ScopedEnv scopedHome("HOME", home.path().string());
  const QString folderName = QString::fromUtf8("\xC5\x81\xC3\xB3\x64\xC5\xBA");  // "Łódź"
  {
    SCOPED_TRACE("the orders window's Save Orders");
    GameState state;
    test::OrdersFixture f(state);
    const fs::path folder = f.folder.path() / folderName.toStdString();
    fs::create_directories(folder);
    f.window.OrderLines().Insert(0, "#GALAXY terra Humans");
    QString proposed;
    f.window.AskSaveFile = [&](const QString& file) {
      proposed = file;
      return QString::fromStdString((folder / "mine.txt").string());
    };
    QAction* save = test::FindAction(*f.window.EditorPopup(), "Normal (CR/LF)");
    ASSERT_NE(save, nullptr);
    save->trigger();
    EXPECT_EQ(test::ReadFileBytes(folder / "mine.txt"), "#GALAXY terra Humans\r\n");
    // The next save proposes a file in that folder, its name as the file system has it.
    save->trigger();
    EXPECT_TRUE(proposed.startsWith(QString::fromStdString(folder.string())))
        << proposed.toStdString();
  }
  {
    SCOPED_TRACE("the mail settings' outbox");
    test::TempDir folder;
    TznSaveState store("");
    test::RecordingUserInterface ui;
    TQtMailPrompts prompts{ui};
    TMailService mail{store, folder.path(), ui, prompts};
    const fs::path outbox = folder.path() / folderName.toStdString();
    TfrmMailSettings dialog(mail, ui);
    dialog.Outbox()->setText(QString::fromStdString(outbox.string()));
    dialog.Confirm();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(mail.OutboxFolder(), outbox);
    TfrmMailSettings again(mail, ui);
    EXPECT_EQ(again.Outbox()->text().toStdString(), outbox.string());
  }
}

}  // namespace
}  // namespace tovix
