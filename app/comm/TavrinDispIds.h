// Member numbers of the control's dispatch and event interfaces as the host calls them
// late-bound. They are part of the control's published interface and never change.
#pragma once

#include <cstdint>

namespace torvik::comm::dispid {

inline constexpr std::int32_t AdapterPrefix = 1;
inline constexpr std::int32_t Busy = 2;
inline constexpr std::int32_t CommSettings = 3;
inline constexpr std::int32_t DataString = 4;
inline constexpr std::int32_t DataMode = 5;
inline constexpr std::int32_t Function = 7;
inline constexpr std::int32_t MemQty = 8;
inline constexpr std::int32_t MemStart = 9;
inline constexpr std::int32_t NodeAddress = 10;
inline constexpr std::int32_t Result = 11;
inline constexpr std::int32_t TimeoutTrans = 15;
inline constexpr std::int32_t AutoPollEnabled = 16;
inline constexpr std::int32_t AutoPollInterval = 17;
inline constexpr std::int32_t Adapter = 18;
inline constexpr std::int32_t AddressType = 20;
inline constexpr std::int32_t GetDataBitM = 21;
inline constexpr std::int32_t GetDataByteM = 27;
inline constexpr std::int32_t SetDataByteM = 28;
inline constexpr std::int32_t GetDataWordM = 29;
inline constexpr std::int32_t SetDataWordM = 30;
inline constexpr std::int32_t Disconnect = 33;
inline constexpr std::int32_t GetDataFloatSwapM = 38;
inline constexpr std::int32_t GetDataLongSwapM = 41;
inline constexpr std::int32_t DataWord = 43;
inline constexpr std::int32_t AsyncRefresh = 54;
inline constexpr std::int32_t SyncRefresh = 55;
inline constexpr std::int32_t ResultString = 56;
inline constexpr std::int32_t Enabled = -514; // the container's stock property

// Events.
inline constexpr std::int32_t Complete = 1;

} // namespace torvik::comm::dispid
