#include "app/Orbl3.h"

#include <cstdlib>
#include <optional>

#include "app/FrmMain.h"

namespace orbl {

using namespace orbl::platform;

namespace {

constexpr const char* kInstanceName = "ORBL";

// The single-instance guard. The global atom "ORBL" is what other copies look
// for, but it outlives a killed or crashed program; the instance lock dies
// with its process, so it decides. Returns false when another instance runs.
// A left-over atom of a dead instance is adopted and deleted at our exit.
bool TakeInstanceGuard(Platform& p, Atom& instanceAtom) {
  instanceAtom = 0;
  if (!p.instanceLock.TryAcquire(kInstanceName)) return false;
  instanceAtom = p.atoms.Find(kInstanceName);
  if (instanceAtom == 0) instanceAtom = p.atoms.Add(kInstanceName);
  return true;
}

}  // namespace

void RunProgram(Platform& p) {
  // frmMain is built after the application window, whose close request must
  // reach it. Before it exists no message is dispatched, so the fallback below
  // only guards against a backend that dispatches early; as the icon goes up
  // first thing in frmMain's construction, the fallback takes it along.
  std::optional<TFrmMain> frmMain;

  WindowParams appParams;
  appParams.title = "Orbelle";
  appParams.icon = "TRAY";
  WindowEvents appEvents;
  appEvents.onCloseRequest = [&] {
    if (frmMain) frmMain->ExitProgram();
    p.tray.DeleteIcon();
    p.files.ExitProcess(0);
  };
  const WindowHandle appWindow = p.windows.CreateTopWindow(appParams, std::move(appEvents));

  Atom instanceAtom = 0;
  if (!TakeInstanceGuard(p, instanceAtom)) {
    // Another instance runs. End before touching anything it owns or shares:
    // no icon, no drives, no hot keys, no settings.
    p.files.ExitProcess(0);
  }

  frmMain.emplace(p, appWindow, instanceAtom);
  frmMain->StartUp();
  p.windows.RunLoop();
  std::abort();  // not reached: the run loop ends only with the process
}

}  // namespace orbl
