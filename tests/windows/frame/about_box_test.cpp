#include "windows/frame/about_box.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QEnterEvent>
#include <QTest>
#include <QUrl>

#include "platform/shell.h"
#include "support/recording_ui.h"
#include "support/show_window.h"

namespace tovix {
namespace {

// Takes the "mailto:" links the desktop would open.
class MailCatcher : public QObject {
  Q_OBJECT

 public:
  MailCatcher() { QDesktopServices::setUrlHandler("mailto", this, "Open"); }
  ~MailCatcher() override { QDesktopServices::unsetUrlHandler("mailto"); }
  std::vector<std::string> urls;

 public slots:
  void Open(const QUrl& url) { urls.push_back(url.toString().toStdString()); }
};

// The contact label is red while the mouse is over it and opens a new mail when clicked.
TEST(AboutBox, ContactLabelTurnsRedUnderTheMouseAndOpensAMail) {
  test::RecordingUserInterface ui;
  TfrmAbout about(ui);
  about.show();
  ASSERT_TRUE(test::ShowExposed(about));
  TContactLabel* contact = about.ContactLabel();
  const QColor normal = contact->palette().color(QPalette::WindowText);
  EXPECT_NE(normal, QColor(Qt::red));

  QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), contact->mapToGlobal(QPointF(2, 2)));
  QApplication::sendEvent(contact, &enter);
  EXPECT_EQ(contact->palette().color(QPalette::WindowText), QColor(Qt::red));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(contact, &leave);
  EXPECT_EQ(contact->palette().color(QPalette::WindowText), normal);

  MailCatcher mail;
  QTest::mouseClick(contact, Qt::LeftButton);
  EXPECT_EQ(mail.urls, std::vector<std::string>{"mailto:tovix@users.noreply.invalid"});
  EXPECT_EQ(ui.messages, std::vector<std::string>{});
}

// Without a mail program the user is told so, with the address to write to.
TEST(AboutBox, ContactLabelWithoutAMailProgramNamesTheAddress) {
  test::RecordingUserInterface ui;
  TfrmAbout about(ui);
  const TDesktopOpener previous = SetDesktopOpener([](const QUrl&) { return false; });
  QTest::mouseClick(about.ContactLabel(), Qt::LeftButton);
  SetDesktopOpener(previous);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].find("mailto:tovix@users.noreply.invalid"), std::string::npos)
      << ui.messages[0];
}

}  // namespace
}  // namespace tovix

#include "about_box_test.moc"
