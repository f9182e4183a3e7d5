#pragma once
// The frame of a tool window over one list made from the model: the list fills at the window's
// first show, again when the game is read anew, and at the next show after the window marks it
// stale (filled_ cleared). Its column layout is kept in the settings store; without a stored one
// the columns keep the widths they first had.

#include <string>

#include "windows/base/services.h"
#include "windows/base/tool_window.h"

namespace tovix {

class TznListView;

class TModelListWindow : public TToolWindow {
  Q_OBJECT

 public:
  // The column layout lives under `layoutKey` of `layoutSection`.
  TModelListWindow(std::string stateName, int helpContext, GameState& state, TznSaveState& store,
                   TServicesSource services, std::string layoutSection, std::string layoutKey,
                   QWidget* parent = nullptr);

  TznListView* List() const { return list_; }
  bool Filled() const { return filled_; }
  // Fills the list from the model now.
  void Refill();

 protected:
  void showEvent(QShowEvent* event) override;
  void RefreshGame(TGameChanges changes) override;
  void LoadOwnState() override;
  void SaveOwnState() override;
  virtual void Fill() = 0;
  const TServices& Services() const { return services_(); }
  // Makes the list (the window adds it to its layout), at the place in the window's children
  // that gives it its place in the focus order.
  void MakeList();

  GameState& state_;
  TznListView* list_ = nullptr;
  bool filled_ = false;

 private:
  TServicesSource services_;
  std::string layoutSection_, layoutKey_;
};

}  // namespace tovix
