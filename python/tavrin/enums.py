"""The enumerations the control publishes (TavrinEnums.h), under their published names.

Their members are also names of the module itself: ``tavrin.FUNC_MB_READ_INPUT_REGISTERS``.
The values never change; the tests compare these tables with the library's own.
"""

from enum import IntEnum, IntFlag


class Function(IntEnum):
    """enumTavrinFunction: the Modbus function of a transaction (``Function``)."""
    FUNC_MB_ILLEGAL_FUNCTION = 0
    FUNC_MB_READ_COIL_STATUS = 1
    FUNC_MB_READ_INPUT_STATUS = 2
    FUNC_MB_READ_HOLDING_REGISTERS = 3
    FUNC_MB_READ_INPUT_REGISTERS = 4
    FUNC_MB_FORCE_SINGLE_COIL = 5
    FUNC_MB_PRESET_SINGLE_REGISTER = 6
    FUNC_MB_READ_EXCEPTION_STATUS = 7
    FUNC_MB_DIAGNOSTIC_TEST = 8
    FUNC_MB_FORCE_MULTIPLE_COILS = 15
    FUNC_MB_PRESET_MULTIPLE_REGISTERS = 16
    FUNC_MB_REPORT_SLAVE_ID = 17
    FUNC_MB_READ_GENERAL_REFERENCE = 20
    FUNC_MB_WRITE_GENERAL_REFERENCE = 21
    FUNC_MB_MASK_WRITE_4X = 22
    FUNC_MB_READ_WRITE_4X = 23
    FUNC_MB_PRIVATE_POWER_SUITE_ID = 65
    FUNC_MB_SCATTERED_READ = 100
    FUNC_MB_CUSTOM_FUNCTION = 255
    FUNC_MB_READ_DEVICE_ID = 4314
    FUNC_MB_SCATTERED_WRITE = 10005


class DataMode(IntEnum):
    """enumTavrinDataMode: the framing (``DataMode``)."""
    DATA_MODE_MB_RTU = 0
    DATA_MODE_MB_ASCII = 1
    DATA_MODE_MB_RTU_BAD = 2


class AddressType(IntEnum):
    """enumTavrinAddressType: the reference convention of ``MemStart`` (``AddressType``)."""
    ADDR_TYPE_MODICON_PLC = 0
    ADDR_TYPE_GENERIC_0_BASED = 1
    ADDR_TYPE_GENERIC_1_BASED = 2
    ADDR_TYPE_MODICON_5_DIGIT = 0
    ADDR_TYPE_ZERO_BASED = 1
    ADDR_TYPE_ONE_BASED = 2
    ADDR_TYPE_ENRON_MODBUS = 3
    ADDR_TYPE_MODICON_6_DIGIT = 4


class Result(IntEnum):
    """enumTavrinResult: a transaction's outcome (``Result``). 1 to 255 are the slave's
    exception codes, multiples of 256 the control's own."""
    RES_AX_SUCCESS = 0
    RES_MB_ILLEGAL_FUNCTION = 1
    RES_MB_ILLEGAL_DATA_ADDRESS = 2
    RES_MB_ILLEGAL_DATA_VALUE = 3
    RES_MB_DEVICE_FAILURE = 4
    RES_MB_ACKNOWLEDGE_ERROR = 5
    RES_MB_BUSY_ERROR = 6
    RES_MB_NAK_ERROR = 7
    RES_MB_MEMORY_PARITY_ERROR = 8
    RES_AX_COMM_TIMEOUT = 256
    RES_AX_COMM_OPEN = 1280
    RES_AX_COMM_WRITE = 1536
    RES_AX_BAD_RESPONSE_FRAMING = 2304
    RES_AX_BAD_RESPONSE_BYTE_COUNT = 4096
    RES_AX_BAD_RESPONSE_LENGTH = 4352
    RES_AX_ILLEGAL_BROADCAST_FUNCTION = 4608
    RES_AX_TERMINATION_REQUESTED = 4864
    RES_AX_BAD_CHECKSUM = 5120
    RES_AX_INVALID_FUNCTION = 5376
    RES_AX_BAD_MEMSTART_FORMAT = 5888
    RES_AX_COMM_THREAD_NOT_READY = 8192


class ModemResult(IntEnum):
    """enumTavrinModemResult: the outcome of a modem operation (``DialComplete``,
    ``HangupComplete``). Event arguments are 16-bit: mask them with 0xFFFF first."""
    MDM_RES_MODEM_OPERATION_CANCELLED = 40960
    MDM_RES_MODEM_RESP_NO_CARRIER = 41216
    MDM_RES_MODEM_RESP_ERROR = 41472
    MDM_RES_MODEM_RESP_NO_DIAL_TONE = 41728
    MDM_RES_MODEM_RESP_BUSY = 41984
    MDM_RES_MODEM_RESP_NO_ANSWER = 42240
    MDM_RES_MODEM_RESP_UNKNOWN = 42496
    MDM_RES_MODEM_RESP_DIAL_CMD = 42752
    MDM_RES_MODEM_RESP_INIT1_CMD = 43008
    MDM_RES_MODEM_RESP_RESET_CMD = 43264
    MDM_RES_MODEM_RESP_ESCAPE_CMD = 43520
    MDM_RES_MODEM_RESP_HANGUP_CMD = 43776
    MDM_RES_MODEM_RESP_ATTENTION_CMD = 44032
    MDM_RES_MODEM_RESP_INIT2_CMD = 44288
    MDM_RES_MODEM_WRITE_DIAL_CMD = 45056
    MDM_RES_MODEM_WRITE_INIT1_CMD = 45568
    MDM_RES_MODEM_WRITE_RESET_CMD = 45824
    MDM_RES_MODEM_WRITE_ESCAPE_CMD = 46080
    MDM_RES_MODEM_WRITE_HANGUP_CMD = 46336
    MDM_RES_MODEM_WRITE_ATTENTION_CMD = 46592
    MDM_RES_MODEM_WRITE_INIT2_CMD = 46848


class ModemStatus(IntFlag):
    """enumTavrinModemStatus: the modem's lines as ``ModemStatusChange`` reports them."""
    MS_CTS_ON = 16
    MS_DSR_ON = 32
    MS_RING_ON = 64
    MS_RLSD_ON = 128


# A refresh refused because the control was busy (no Complete follows).
RESULT_DEVICE_BUSY = 1792

PUBLISHED = {"enumTavrinFunction": Function, "enumTavrinDataMode": DataMode,
             "enumTavrinAddressType": AddressType, "enumTavrinResult": Result,
             "enumTavrinModemResult": ModemResult, "enumTavrinModemStatus": ModemStatus}
