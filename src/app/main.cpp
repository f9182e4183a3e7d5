// Tovix: the companion for the play-by-e-mail game Galaxy.
#include <string>
#include <vector>

#include "app/startup.h"
#include "app/tovix_application.h"

int main(int argc, char** argv) {
  tovix::TTovixApplication app(argc, argv);
  // QApplication has taken its own options out of argv by now.
  tovix::TStartupParams params;
  for (int i = 1; i < argc; ++i) params.Args.emplace_back(argv[i]);
  return tovix::runTovix(app, std::move(params)) == tovix::TStartupOutcome::Failed ? 1 : 0;
}
