#pragma once
// Fakes of the services windows reach each other through: they record what they were asked.

#include <string>
#include <vector>

#include "windows/services.h"

namespace tovix::test {

class RecordingOrders : public IOrderService {
 public:
  std::vector<std::string> inserted;  // "group: ...", "planet: ...", "other: ...", "route: ..."
  std::vector<std::string> saved;     // the file names SaveOrders was given
  int analysed = 0;
  int automaticLoaded = 0;

  void InsertGroupCommands(const std::string& lines) override {
    inserted.push_back("group: " + lines);
  }
  void InsertPlanetCommands(const std::string& lines) override {
    inserted.push_back("planet: " + lines);
  }
  void InsertOtherCommands(const std::string& lines) override {
    inserted.push_back("other: " + lines);
  }
  void InsertRouteCommands(const std::string& lines) override {
    inserted.push_back("route: " + lines);
  }
  void AnalyseOrders() override { ++analysed; }
  void AnalyseAfterInsert() override { ++analysed; }
  void FindPlanetInOrders(const std::string&) override {}
  void FindGroupInOrders(int) override {}
  void LoadAutomaticOrders() override { ++automaticLoaded; }
  void SaveOrders(const std::string& fileName) override { saved.push_back(fileName); }
};

class RecordingNotes : public INotesService {
 public:
  int saved = 0;
  void SaveCurrentNotes() override { ++saved; }
};

}  // namespace tovix::test
