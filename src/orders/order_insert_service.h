#pragma once
// The orders of the next turn as the rest of the program reaches them. A window that makes order
// lines formats each hand-over whole (single blanks between words, CR LF between lines), hands it
// to one of the four insertion entry points and then asks for an analysis. The orders window
// implements this; until it exists a placeholder puts inserted lines on the clipboard.
// Plain C++: the order analysis and the views call it too.

#include <string>
#include <vector>

namespace tovix {

class IOrderService {
 public:
  virtual ~IOrderService() = default;

  virtual void InsertGroupCommands(const std::string& lines) = 0;
  virtual void InsertPlanetCommands(const std::string& lines) = 0;
  virtual void InsertOtherCommands(const std::string& lines) = 0;
  virtual void InsertRouteCommands(const std::string& lines) = 0;
  // Analyses the order text again (F6).
  virtual void AnalyseOrders() = 0;
  // The analysis after an insertion.
  virtual void AnalyseAfterInsert() = 0;
  // Shows the orders window with the first order line that names the planet, or the group.
  virtual void FindPlanetInOrders(const std::string& planetName) = 0;
  virtual void FindGroupInOrders(int groupNumber) = 0;
  // Loads the game's automatic orders file (at the main window's first show).
  virtual void LoadAutomaticOrders() = 0;
  // Saves the order text to `fileName` ("Save Status").
  virtual void SaveOrders(const std::string& fileName) = 0;
  // The new names of every rename ("N") line of the order text, so generated planet names never
  // repeat one. Until the orders window gives them, there are none.
  virtual std::vector<std::string> CollectRenamedPlanetNames() { return {}; }
  // Plans the next turns from the planet orders alone, without group orders or transports (the
  // overview's "Next Turn Without Shipping"); the development plan holds the result until the
  // next analysis.
  virtual void ProjectDevelopment() {}
  // Mails `text` as a relay message to the race `race` (the players window); the orders window
  // mails it, and tells the user when it cannot. Services without mail do nothing.
  virtual void SendRelayMessage(const std::string& race, const std::string& text) {
    (void)race;
    (void)text;
  }
};

}  // namespace tovix
