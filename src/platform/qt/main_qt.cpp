// The native Linux program: the Qt toolkit and the POSIX system services
// handed to the program's entry point with the command line's parameters.
#include <QApplication>
#include <vector>

#include "app/command_line.h"
#include "app/orvel.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/toolkit_qt.h"
#include "platform/system.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // The parameters as the shell split them, each one whole (a note path may
  // hold spaces); Qt has taken its own options out of them.
  std::vector<orvel::Text> parameters;
  const QStringList arguments = QCoreApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) parameters.push_back(orvel::qt::FromQString(arguments[i]));
  auto system = orvel::MakePlatformSystem();
  auto toolkit = orvel::MakeQtToolkit();
  return orvel::RunOrvel(*toolkit, *system, orvel::CommandLine(std::move(parameters)));
}
