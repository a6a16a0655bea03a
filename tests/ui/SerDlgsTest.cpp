// The port selection list on a port manager of its own: the list mirrors the manager's ports,
// a pick sets the linked component's port, and device changes reach the list.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "QtApp.h"
#include "serial/COMManager.h"
#include "serial/Serial.h"
#include "serial/ui/SerDlgs.h"
#include "support/FakeCommApi.h"

namespace pzam {
namespace {

class SerDlgsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Comm.SetPresent({"COM1", "COM3", "COM4"});
    FManager = std::make_unique<serial::TCOMManager>(Comm, 4);
    FSerial = std::make_unique<serial::TSerial>(Comm, *FManager);
  }
  QStringList Entries(const QComboBox& box) const {
    QStringList out;
    for (int i = 0; i < box.count(); ++i) out << box.itemText(i);
    return out;
  }
  comm::TFakeCommApi Comm;
  std::unique_ptr<serial::TCOMManager> FManager;
  std::unique_ptr<serial::TSerial> FSerial;
};

TEST_F(SerDlgsTest, TheListMirrorsThePortsAndSelectsTheLinkedPort) {
  FSerial->SetCOMPort(3);
  TSerPortComboBox box(nullptr, FManager.get());
  EXPECT_FALSE(box.isEditable());
  box.SetSerial(FSerial.get());
  EXPECT_EQ(box.count(), 0) << "linking refreshes nothing";
  box.Loaded();
  EXPECT_EQ(Entries(box), QStringList({"COM1", "COM3", "COM4"}));
  EXPECT_EQ(box.currentIndex(), 1);
  FSerial->SetCOMPort(0);
  box.UpdateList();
  EXPECT_EQ(box.currentIndex(), -1) << "a port that is not listed selects nothing";
}

TEST_F(SerDlgsTest, PickingAnEntrySetsThePortAndRaisesOnChangeOnce) {
  TSerPortComboBox box(nullptr, FManager.get());
  box.SetSerial(FSerial.get());
  box.Loaded();
  QSignalSpy changes(&box, &TSerPortComboBox::OnChange);
  box.setCurrentIndex(2);
  EXPECT_EQ(changes.count(), 0) << "only the operator's pick is a change";
  emit box.activated(2);
  EXPECT_EQ(FSerial->COMPort(), 4);
  EXPECT_EQ(changes.count(), 1);
}

TEST_F(SerDlgsTest, DeviceChangesReachTheList) {
  FSerial->SetCOMPort(4);
  TSerPortComboBox box(nullptr, FManager.get());
  box.SetSerial(FSerial.get());
  box.Loaded();
  Comm.SetPresent({"COM1", "COM3"});
  FManager->PortDeviceChanged(false);
  EXPECT_EQ(Entries(box), QStringList({"COM1", "COM3"}));
  EXPECT_EQ(box.currentIndex(), -1) << "the removed port was the selected one";
  Comm.SetPresent({"COM1", "COM2", "COM3", "COM4"});
  FManager->PortDeviceChanged(true);
  EXPECT_EQ(Entries(box), QStringList({"COM1", "COM2", "COM3", "COM4"}));
  EXPECT_EQ(box.currentIndex(), 3);
}

TEST_F(SerDlgsTest, WithAnEmptyListAChangeSetsPortZero) {
  FSerial->SetCOMPort(3);
  TSerPortComboBox box(nullptr, FManager.get());
  box.SetSerial(FSerial.get());
  Comm.SetPresent({});
  FManager->PortDeviceChanged(false);
  EXPECT_EQ(box.count(), 0);
  box.Change();
  EXPECT_EQ(FSerial->COMPort(), 0);
}

TEST_F(SerDlgsTest, OnlyTheFirstListIsRegisteredAndEitherOneRemovesIt) {
  auto first = std::make_unique<TSerPortComboBox>(nullptr, FManager.get());
  auto second = std::make_unique<TSerPortComboBox>(nullptr, FManager.get());
  Comm.SetPresent({"COM1"});
  FManager->PortDeviceChanged(false);
  EXPECT_EQ(first->count(), 1);
  EXPECT_EQ(second->count(), 0) << "listeners are told apart by code: the second is not one";
  second.reset();
  Comm.SetPresent({"COM1", "COM3"});
  FManager->PortDeviceChanged(true);
  EXPECT_EQ(first->count(), 1) << "destroying the second removed the one registration";
}

}  // namespace
}  // namespace pzam
