// The orders window's mail commands and the order skeleton dialog, as a player uses them: the
// skeleton of Orion's race A, a relay message to race B from the players window, the question
// before orders with ERROR notes go, a failed send that leaves the orders alone, a send under its
// progress window (off the window thread, within its limit, cancelled at once), the mail
// settings dialog and the password as typed; and their pictures.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include "controls/zn_list_view.h"
#include "mail/mail_test_support.h"
#include "support/orders_fixture.h"
#include "support/orion_as_a.h"
#include "support/recording_ui.h"
#include "support/test_paths.h"
#include "support/window_picture.h"
#include "windows/lists/players_window.h"
#include "windows/orders/mail_progress_dialog.h"
#include "windows/orders/mail_settings_dialog.h"
#include "windows/orders/orders_window.h"
#include "windows/orders/setup_orders_dialog.h"

namespace tovix {
namespace {

namespace fs = std::filesystem;

using test::OrdersFixture;

// A small "Galaxy NG" game without reports: race Humans in game "Terra".
struct SmallGame {
  SmallGame() {
    state.Settings.GameType = TGameType::NG;
    state.Settings.GameNumber = 1;
    state.Settings.spelD = (reports.path() / "%1s%0.03d.txt").string();
    state.Settings.spelC = "A";
    state.GameName = "Terra";
    auto race = std::make_unique<TPlayer>(1);
    race->Name = "Humans";
    state.MainPlayer = race.get();
    state.Players.AddObject("humans", std::move(race));
  }
  test::TempDir reports;
  GameState state;
};

const std::vector<std::string> kSections{
    ";-Tovix Group Insertion start-", ";-Tovix Group Insertion end-",
    ";-Tovix Find Insertion start-", ";-Tovix Find Insertion end-", "#END"};

// The skeleton of Orion's race A starts with the header the server asked for, and a relay
// message typed in the players window goes out with that line first.
TEST(OrdersMail, SkeletonAndRelayMessageOfOrionAToB) {
  test::OrionAsA* orion = test::Orion();
  if (!orion) GTEST_SKIP() << test::ReportsAbsent("orion");
  GameState& state = orion->state;
  state.Settings.GameNumber = 7;
  OrdersFixture f(state);

  TfrmSetupOrders skeleton(state, f.ui, [&f] { return &f.window.OrderLines(); });
  skeleton.show();
  EXPECT_EQ(skeleton.FirstLine()->text(), "#GALAXY Orion Arcturans P2027128342");
  EXPECT_TRUE(skeleton.PasswordWarning()->isVisibleTo(&skeleton));
  EXPECT_EQ(skeleton.RaceName()->text(), "Arcturans");
  skeleton.Confirm();  // empty orders: no question
  EXPECT_EQ(skeleton.result(), QDialog::Accepted);
  std::vector<std::string> frame{"#GALAXY Orion Arcturans P2027128342", ""};
  frame.insert(frame.end(), kSections.begin(), kSections.end());
  EXPECT_EQ(f.Lines(), frame);
  EXPECT_TRUE(f.ui.questions.empty());

  f.window.SetMailAddress("galaxy@orion.example", "Orders");
  f.window.PlaceInOutbox()->setChecked(true);
  TServices services;
  services.Orders = &f.window;
  TfrmPlayers players(state, f.store, f.ui, [&services]() -> const TServices& { return services; });
  players.RunMessageDialog = [](const std::string& race) -> std::optional<TfrmPlayers::TMessage> {
    return TfrmPlayers::TMessage{"@ " + race + "\r\n...\r\n@", "Peace?\nWe offer peace."};
  };
  players.show();
  TznListView& list = *players.List();
  for (int v = 0; v < list.Rows().Count(); ++v)
    if (list.Rows().CellText(list.Rows().SourceRow(v), 0) == "Betelgeusians")
      list.selectionModel()->select(
          list.Rows().index(v, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  players.CreateRelayMessage();

  const std::vector<fs::path> files = test::FilesIn(f.window.Mail().StandardOutboxFolder());
  ASSERT_EQ(files.size(), 1u) << (f.ui.messages.empty() ? "" : f.ui.messages[0]);
  const test::TParsedMail mail = test::ParseMail(files[0]);
  EXPECT_EQ(mail.Subject, "Relay Betelgeusians") << mail.Raw;
  EXPECT_EQ(mail.To, "galaxy@orion.example");
  EXPECT_EQ(mail.Body, "#GALAXY Orion Arcturans P2027128342\nPeace?\nWe offer peace.\n");
  EXPECT_TRUE(mail.CrLf);
  ASSERT_EQ(f.ui.questions.size(), 1u);  // the offer to open it, answered No
  EXPECT_EQ(f.Lines(), frame);
}

// Orders whose analysis holds ERROR notes go only after a question that says how many. Whatever
// goes wrong then, the orders stay as they were, and the player is told why.
TEST(OrdersMail, MailOrdersAsksAboutErrorNotesAndTellsWhatWentWrong) {
  SmallGame game;
  OrdersFixture f(game.state);
  const std::vector<std::string> orders{"#GALAXY Terra Humans pw", "s 12 Alpha", "x 13", "#END"};
  for (int i = 0; i < 4; ++i) f.window.OrderLines().Insert(i, orders[size_t(i)]);
  QAction* mail = test::FindAction(f.window, "Mail orders");
  ASSERT_NE(mail, nullptr);
  TMailSettings settings = f.window.Mail().Settings();
  settings.Program = test::WriteFakeSendmail(f.folder.path(), 1, "no relay").string();
  ASSERT_TRUE(f.window.Mail().ChangeSettings(settings, ""));
  f.window.SetMailAddress("galaxy@terra.example", "Orders");

  mail->trigger();  // No
  EXPECT_EQ(f.ui.questions,
            std::vector<std::string>{"The orders hold 2 ERROR notes: the server will refuse those "
                                     "lines.\rMail them anyway?"});
  EXPECT_TRUE(f.ui.messages.empty());
  EXPECT_FALSE(fs::exists(f.folder / "message"));

  f.ui.answers = {true};
  mail->trigger();
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_NE(f.ui.messages[0].find("exit code 1. It said:\r\"no relay"), std::string::npos)
      << f.ui.messages[0];
  EXPECT_EQ(f.Lines(), orders);

  // Orders without an ERROR note go without a question.
  f.window.OrderLines().Delete(2);
  f.window.OrderLines().Delete(1);
  settings.Program = test::WriteFakeSendmail(f.folder.path()).string();
  ASSERT_TRUE(f.window.Mail().ChangeSettings(settings, ""));
  f.ui.questions.clear();
  mail->trigger();
  EXPECT_TRUE(f.ui.questions.empty());
  EXPECT_EQ(f.ui.messages.back(), "Sent the orders to galaxy@terra.example.");
  EXPECT_EQ(test::ParseMail(f.folder / "message").Body, "#GALAXY Terra Humans pw\n#END\n");
}

// The mail goes off the window thread under its progress window: the window's timers keep
// running, a server that never answers the final "." ends the send at the limit (2 s here) with
// what is known, and Cancel ends a send at once. A 60 s watchdog cancels a send that outlasts
// that and fails the test.
TEST(OrdersMail, SendsOffTheWindowThreadWithinItsLimitAndCancelEndsIt) {
  SmallGame game;
  OrdersFixture f(game.state);
  f.window.OrderLines().Insert(0, "#GALAXY Terra Humans pw");
  test::TSmtpTestServer server({"silent-after-data"}, "broken_smtp_server.py");
  ASSERT_TRUE(server.Ready()) << server.Output;
  TMailSettings settings = f.window.Mail().Settings();
  settings.Method = TMailMethod::Smtp;
  settings.From = "humans@terra.example";
  settings.Smtp.Host = "127.0.0.1";
  settings.Smtp.Port = server.Port();
  settings.Smtp.Security = TSmtpSecurity::None;
  settings.TimeoutSeconds = 2;
  ASSERT_TRUE(f.window.Mail().ChangeSettings(settings, ""));
  f.window.SetMailAddress("galaxy@terra.example", "Orders");

  int ticks = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
  tick.start(10);
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    ADD_FAILURE() << "the send outlasted the 60 s watchdog";
    if (auto* progress = qobject_cast<TfrmMailProgress*>(QApplication::activeModalWidget()))
      progress->Cancel();
  });
  watchdog.start(60000);
  EXPECT_FALSE(f.window.MailOrders());
  EXPECT_GT(ticks, 0);
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_NE(f.ui.messages[0].find("did not confirm the message within 2 seconds"),
            std::string::npos)
      << f.ui.messages[0];
  EXPECT_NE(f.ui.messages[0].find("may have received the message"), std::string::npos);

  // With the program's usual limit, only Cancel ends the wait for the answer.
  test::TSmtpTestServer silent({"silent-after-data"}, "broken_smtp_server.py");
  ASSERT_TRUE(silent.Ready()) << silent.Output;
  settings.Smtp.Port = silent.Port();
  settings.TimeoutSeconds = 120;
  ASSERT_TRUE(f.window.Mail().ChangeSettings(settings, ""));
  QString caption;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    auto* progress = qobject_cast<TfrmMailProgress*>(QApplication::activeModalWidget());
    if (!progress) return;
    look.stop();
    caption = progress->findChild<QLabel*>("lblWhat")->text();
    EXPECT_TRUE(test::TakePicture(*progress, "frmMailProgress"));
    EXPECT_TRUE(silent.WaitForLine("GOT-DATA", 60));
    progress->CancelButton()->click();
  });
  look.start(10);
  watchdog.start(60000);
  EXPECT_FALSE(f.window.MailOrders());
  EXPECT_EQ(caption.toStdString(),
            "Sending the orders to galaxy@terra.example\nthrough the mail server 127.0.0.1:" +
                std::to_string(silent.Port()) + " ...");
  ASSERT_EQ(f.ui.messages.size(), 2u);
  EXPECT_NE(f.ui.messages[1].find("was cancelled after the whole message was sent"),
            std::string::npos)
      << f.ui.messages[1];
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(f.Lines(), std::vector<std::string>{"#GALAXY Terra Humans pw"});
}

TEST(SetupOrders, AsksBeforeReplacingOrdersAndKeepsAnEditedFirstLine) {
  SmallGame game;
  test::RecordingUserInterface ui;
  TVectorOrderLines lines({"#GALAXY Terra Humans", "s 12 Alpha", "#END"});
  const std::vector<std::string> old = lines.Lines();
  TfrmSetupOrders dialog(game.state, ui, nullptr);
  dialog.SetLines(&lines);
  dialog.Prepare();
  // No turn-0 report: no password, no warning, no blank at the end.
  EXPECT_EQ(dialog.FirstLine()->text(), "#GALAXY Terra Humans");
  EXPECT_FALSE(dialog.PasswordWarning()->isVisibleTo(&dialog));
  dialog.FirstLine()->setText("#GALAXY Terra Humans secret");
  dialog.Prepare();
  EXPECT_EQ(dialog.FirstLine()->text(), "#GALAXY Terra Humans secret");

  dialog.ChangeRaceName()->setChecked(true);
  dialog.RaceName()->clear();
  dialog.Confirm();  // a rename without a name
  EXPECT_EQ(ui.messages.size(), 1u);
  dialog.RaceName()->setText("Terrans");
  ui.answers = {false, true};
  dialog.Confirm();  // No
  EXPECT_EQ(lines.Lines(), old);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  dialog.Confirm();  // Yes
  EXPECT_EQ(ui.questions, (std::vector<std::string>(
                              2,
                              "Are you sure you want to create a new setup for the orders?\r"
                              "Old commands will be lost!")));
  std::vector<std::string> frame{"#GALAXY Terra Humans secret", "", "C Terrans", ""};
  frame.insert(frame.end(), kSections.begin(), kSections.end());
  EXPECT_EQ(lines.Lines(), frame);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

// A mail service of its own, in memory, over a fresh program folder.
struct MailService {
  test::TempDir folder;
  TznSaveState store{""};
  test::RecordingUserInterface ui;
  TQtMailPrompts prompts{ui};
  TMailService mail{store, folder.path(), ui, prompts};
};

TEST(MailSettingsDialog, KeepsWhatIsChosenAndRefusesABadOwnAddress) {
  MailService m;
  TMailService& mail = m.mail;
  test::RecordingUserInterface& ui = m.ui;
  TfrmMailSettings dialog(mail, ui);
  EXPECT_TRUE(dialog.MethodButton(TMailMethod::Sendmail)->isChecked());
  EXPECT_EQ(dialog.Program()->text(), "/usr/sbin/sendmail");
  dialog.MethodButton(TMailMethod::Smtp)->setChecked(true);
  dialog.Host()->setText(" smtp.example.org ");
  dialog.Security()->setCurrentIndex(static_cast<int>(TSmtpSecurity::Tls));
  EXPECT_EQ(dialog.Port()->value(), 465);  // the port follows the security
  dialog.User()->setText("me");
  dialog.Password()->setText("pw");
  dialog.From()->setText("me at home");
  dialog.Confirm();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(mail.Settings(), TMailSettings());  // nothing kept yet

  dialog.From()->setText("me@example.org");
  dialog.Confirm();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  TMailSettings want;
  want.Method = TMailMethod::Smtp;
  want.From = "me@example.org";
  want.Smtp.Host = "smtp.example.org";
  want.Smtp.Port = 465;
  want.Smtp.Security = TSmtpSecurity::Tls;
  want.Smtp.User = "me";
  EXPECT_EQ(mail.Settings(), want);
  EXPECT_EQ(ReadMailSettings(m.store), want);
  EXPECT_EQ(mail.Password(), "pw");
  EXPECT_FALSE(fs::exists(mail.PasswordFile()));
}

// The password is the text as typed: the test server's login sees its UTF-8 bytes, and the
// dialog shows it again as it was typed.
TEST(MailSettingsDialog, SendsThePasswordAsTypedInUtf8) {
  if (!test::HaveAiosmtpd()) GTEST_SKIP() << "python3-aiosmtpd is not installed";
  for (const std::string password :
       {"\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C", "p\xC3\xA4sswort"}) {
    SCOPED_TRACE(password);
    test::TSmtpTestServer server({"--password", password});
    ASSERT_TRUE(server.Ready()) << server.Output;
    MailService m;
    TMailService& mail = m.mail;
    test::RecordingUserInterface& ui = m.ui;
    TfrmMailSettings dialog(mail, ui);
    dialog.From()->setText("humans@terra.example");
    dialog.MethodButton(TMailMethod::Smtp)->setChecked(true);
    dialog.Host()->setText("127.0.0.1");
    dialog.Port()->setValue(server.Port());
    dialog.User()->setText("player");
    dialog.Password()->setText(QString::fromUtf8(password));
    dialog.CaFile()->setText(QString::fromStdString(server.CertFile().string()));
    dialog.Confirm();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);

    const TVectorOrderLines lines({"#GALAXY Terra Humans pw", "#END"});
    EXPECT_TRUE(mail.SendOrders(lines, "galaxy@terra.example", "Orders", false))
        << (ui.messages.empty() ? "" : ui.messages.back());
    EXPECT_EQ(test::ReadFileBytes(server.Folder() / "password-1.bin"), password);
    TfrmMailSettings again(mail, ui);
    EXPECT_EQ(again.Password()->text(), QString::fromUtf8(password));
  }
}

TEST(OrdersMail, PictureOfTheMailSettingsAndTheSkeleton) {
  MailService m;
  TMailService& mail = m.mail;
  test::RecordingUserInterface& ui = m.ui;
  TMailSettings s;
  s.Method = TMailMethod::Smtp;
  s.From = "arcturans@orion.example";
  s.Smtp.Host = "smtp.orion.example";
  s.Smtp.User = "arcturans";
  ASSERT_TRUE(mail.ChangeSettings(s, "secret"));
  TfrmMailSettings settings(mail, ui);
  settings.show();
  EXPECT_TRUE(test::TakePicture(settings, "frmMailSettings-smtp"));

  test::OrionAsA* orion = test::Orion();
  SmallGame game;
  TVectorOrderLines lines;
  TfrmSetupOrders skeleton(orion ? orion->state : game.state, ui, nullptr);
  skeleton.SetLines(&lines);
  skeleton.show();
  EXPECT_TRUE(test::TakePicture(skeleton, "frmSetupOrders-orion"));
}

}  // namespace
}  // namespace tovix
