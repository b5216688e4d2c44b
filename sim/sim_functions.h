// The functions a simulated switch implements: their IDs, which model has
// which, and which operations each kind of function accepts.
#pragma once

#include <cstdint>

namespace ntr::sim {

// Function IDs, named after their keywords.
enum FunctionId : std::uint16_t {
  kFnBootRomVersion = 0x0101,
  kFnFirmwareRevision = 0x0102,
  kFnSerialNumber = 0x0103,
  kFnModelName = 0x0104,
  kFnSystemMac = 0x0105,
  kFnSystemName = 0x0106,
  kFnEnergySaving = 0x0107,
  kFnLedBrightness = 0x0108,
  kFnStatusLedMode = 0x0109,
  kFnStatusFan = 0x010A,
  kFnRestart = 0x010B,
  kFnStatusFanRpm = 0x010E,
  kFnPortSpeed = 0x0201,
  kFnPortUse = 0x0202,
  kFnPortAutoCrossover = 0x0203,
  kFnPortSpeedDownshift = 0x0204,
  kFnPortFlowControl = 0x0205,
  kFnStatusPortSpeed = 0x0206,
  kFnPortBlockingControl = 0x0207,
  kFnPortBlockingData = 0x0208,
  kFnMacAgeing = 0x0301,
  kFnMacAgeingTimer = 0x0302,
  kFnStatusMacAddr = 0x0303,
  kFnStatusMacPort = 0x0304,
  kFnClearMacTable = 0x0305,
  kFnVlanId = 0x0401,
  kFnVlanPortMode = 0x0402,
  kFnVlanAccess = 0x0403,
  kFnVlanTrunk = 0x0404,
  kFnVlanMultipleUse = 0x0405,
  kFnVlanMultiple = 0x0406,
  kFnQosRemarkType = 0x0501,
  kFnQosRemarkClass = 0x0502,
  kFnQosSpeedUnit = 0x0503,
  kFnQosPolicingUse = 0x0504,
  kFnQosPolicingSpeed = 0x0505,
  kFnQosShapingUse = 0x0506,
  kFnQosShapingSpeed = 0x0507,
  kFnMirroringUse = 0x0601,
  kFnMirroringDest = 0x0602,
  kFnMirroringSrcRx = 0x0603,
  kFnMirroringSrcTx = 0x0604,
  kFnCounterRxType = 0x0701,
  kFnCounterTxType = 0x0702,
  kFnStatusCounterFrameRx = 0x0703,
  kFnStatusCounterFrameTx = 0x0704,
  kFnStatusCounterOctetRx = 0x0705,
  kFnStatusCounterOctetTx = 0x0706,
  kFnClearCounter = 0x0707,
  kFnLoopCount = 0x0801,
  kFnLoopTime = 0x0802,
  kFnLoopLinkDown = 0x0803,
  kFnLoopRecoveryTimer = 0x0804,
  kFnLoopPortUse = 0x0805,
  kFnStatusLoopPort = 0x0806,
  kFnStatusLoopRecoveryTimer = 0x0807,
  kFnResetLoopDetect = 0x0808,
  kFnLoopControlPacket = 0x0809,
  kFnPoeClass = 0x0901,
  kFnStatusPoeSupply = 0x0902,
  kFnStatusPoeDetectClass = 0x0903,
  kFnStatusPoeTemperature = 0x0904,
  kFnStatusPoeState = 0x0905,
  kFnRestartPoeSupply = 0x0906,
  kFnBackupPort = 0x0A01,
};

// Switch result codes (the answer's result field).
enum Result : std::int32_t {
  kResOk = 0,
  kResBusy = 1,
  kResPending = 2,
  kResMagic = 3,
  kResChecksum = 4,
  kResFlash = 5,
  kResNoFunction = 6,
  kResAccess = 7,
  kResParameter = 8,
};

// Whether a model (code of catalogue/switch_model.h) has the function: the
// QoS bandwidth functions and the system fan only on the 24-port model; the
// fan speeds, temperature and every PoE function only on the PoE model.
bool ModelHasFunction(std::int32_t modelCode, std::uint16_t functionId);

// Whether the kind of function accepts the operation: identity and status
// functions get, settings get, set and set-default, actions execute. Any
// other combination is answered with result 7 (invalid access).
bool OperationAllowed(std::uint16_t functionId, std::int32_t operation);

}  // namespace ntr::sim
