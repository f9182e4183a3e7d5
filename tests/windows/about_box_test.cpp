#include "windows/about_box.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QEnterEvent>
#include <QTest>
#include <QUrl>

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
  TfrmAbout about;
  about.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
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
}

}  // namespace
}  // namespace tovix

#include "about_box_test.moc"
