// The member numbers of the control's dispatch and event interfaces. Hosts call by these
// numbers late-bound, so they never change.
#pragma once

#include "automation/Dispatch.h"

namespace tavrin::dispid {

using automation::DispId;

inline constexpr DispId AdapterPrefix = 1;
inline constexpr DispId Busy = 2;
inline constexpr DispId CommSettings = 3;
inline constexpr DispId DataString = 4;
inline constexpr DispId DataMode = 5;
inline constexpr DispId ErrorChecking = 6;
inline constexpr DispId Function = 7;
inline constexpr DispId MemQty = 8;
inline constexpr DispId MemStart = 9;
inline constexpr DispId NodeAddress = 10;
inline constexpr DispId Result = 11;
inline constexpr DispId SlaveEnabled = 12;
inline constexpr DispId SlaveMemStart = 13;
inline constexpr DispId TimeoutConnect = 14;
inline constexpr DispId TimeoutTrans = 15;
inline constexpr DispId AutoPollEnabled = 16;
inline constexpr DispId AutoPollInterval = 17;
inline constexpr DispId Adapter = 18;
inline constexpr DispId SlaveMemQty = 19;
inline constexpr DispId AddressType = 20;
inline constexpr DispId GetDataBitM = 21;
inline constexpr DispId SetDataBitM = 22;
inline constexpr DispId GetDataFloatM = 23;
inline constexpr DispId SetDataFloatM = 24;
inline constexpr DispId GetDataWordBCDM = 25;
inline constexpr DispId SetDataWordBCDM = 26;
inline constexpr DispId GetDataByteM = 27;
inline constexpr DispId SetDataByteM = 28;
inline constexpr DispId GetDataWordM = 29;
inline constexpr DispId SetDataWordM = 30;
inline constexpr DispId GetDataLongM = 31;
inline constexpr DispId SetDataLongM = 32;
inline constexpr DispId Disconnect = 33;
inline constexpr DispId ModemCancel = 34;
inline constexpr DispId ModemHangup = 35;
inline constexpr DispId ModemDial = 36;
inline constexpr DispId SetDataFloatSwapM = 37;
inline constexpr DispId GetDataFloatSwapM = 38;
inline constexpr DispId GetDataLongBCDM = 39;
inline constexpr DispId SetDataLongBCDM = 40;
inline constexpr DispId GetDataLongSwapM = 41;
inline constexpr DispId SetDataLongSwapM = 42;
inline constexpr DispId DataWord = 43;
inline constexpr DispId DataFloat = 44;
inline constexpr DispId DataLong = 45;
inline constexpr DispId SlaveDataWord = 46;
inline constexpr DispId DataBit = 47;
inline constexpr DispId DataByte = 48;
inline constexpr DispId DataWordBCD = 49;
inline constexpr DispId DataFloatSwap = 50;
inline constexpr DispId DataLongBCD = 51;
inline constexpr DispId DataLongSwap = 52;
inline constexpr DispId Refresh2 = 53;
inline constexpr DispId AsyncRefresh = 54;
inline constexpr DispId SyncRefresh = 55;
inline constexpr DispId ResultString = 56;
inline constexpr DispId Enabled = automation::kDispIdEnabled;
inline constexpr DispId Refresh = automation::kDispIdRefresh;
inline constexpr DispId AboutBox = automation::kDispIdAboutBox;

// Events.
inline constexpr DispId Complete = 1;
inline constexpr DispId UnsolicitedMessage = 2;
inline constexpr DispId DialComplete = 3;
inline constexpr DispId HangupComplete = 4;
inline constexpr DispId ModemStatusChange = 5;

} // namespace tavrin::dispid
