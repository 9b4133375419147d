// The main window's command for sending by cable: opens the data-cable window on the main
// melody and the program's serial and SMS properties, or brings it to the front.
#include "mainwindow/ui/frmmain.h"
#include "phonelink/ui/frmdatacable.h"
#include "settings/ui/placewindow.h"

void frmMain::onDataCable() {
  // What is being sent takes the title and tempo fields as they stand.
  commitFields();
  auto* cable = findChild<frmDataCable*>(QStringLiteral("frmDataCable"));
  if (!cable) {
    cable = new frmDataCable(document().melody(), state().comm, state().sms, *state().store, this);
    cable->setAttribute(Qt::WA_DeleteOnClose);
    PlaceAndRemember(cable, this, state().store.get());
  }
  cable->show();
  cable->raise();
  cable->activateWindow();
}
