#pragma once

// A scripted stand-in for the catalogue's user interface; hand it to the CSidStarStore.

#include <functional>
#include <string>
#include <vector>

#include "plotr/tools/SidStarUi.h"

namespace tooltest {

class FakeSidStarUi : public ISidStarUi {
 public:
  FakeSidStarUi() = default;
  FakeSidStarUi(const FakeSidStarUi&) = delete;
  FakeSidStarUi& operator=(const FakeSidStarUi&) = delete;

  struct Box {
    std::string text;
    uint32_t style;
  };

  int MessageBox(const std::string& text, uint32_t style) override {
    boxes.push_back({text, style});
    return answer;
  }
  bool RunSaveDialog(SidStarSaveValues& values) override {
    offered.push_back(values);
    return dialog ? dialog(values) : false;
  }

  std::vector<Box> boxes;
  int answer = ui::kIdOk;
  std::vector<SidStarSaveValues> offered;
  // Plays the user in the save dialog; none set: Cancel.
  std::function<bool(SidStarSaveValues&)> dialog;
};

}  // namespace tooltest
