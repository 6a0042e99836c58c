#!/usr/bin/python3
"""Prints the expected frames of codec_request_test.cpp and codec_reply_test.cpp, built by pymodbus.

Standard requests come from pymodbus's own request classes and framers; requests pymodbus has
no class for (Enron widths, scattered access, custom bytes) are laid out by hand and only
framed with pymodbus's CRC and LRC. Run with /usr/bin/python3 (python3-pymodbus 3.x) and paste
the output into the table.
"""
import struct

from pymodbus.bit_read_message import ReadCoilsRequest, ReadDiscreteInputsRequest
from pymodbus.bit_write_message import WriteMultipleCoilsRequest, WriteSingleCoilRequest
from pymodbus.diag_message import ReturnQueryDataRequest
from pymodbus.factory import ClientDecoder
from pymodbus.file_message import FileRecord, ReadFileRecordRequest, WriteFileRecordRequest
from pymodbus.framer.ascii_framer import ModbusAsciiFramer
from pymodbus.framer.rtu_framer import ModbusRtuFramer
from pymodbus.mei_message import ReadDeviceInformationRequest
from pymodbus.other_message import ReadExceptionStatusRequest, ReportSlaveIdRequest
from pymodbus.register_read_message import (ReadHoldingRegistersRequest,
                                            ReadInputRegistersRequest,
                                            ReadWriteMultipleRegistersRequest)
from pymodbus.register_write_message import (MaskWriteRegisterRequest,
                                             WriteMultipleRegistersRequest,
                                             WriteSingleRegisterRequest)
from pymodbus.utilities import computeCRC, computeLRC

# The data area of every case: words 0x1234, 0x5678, 0x9ABC, 0xDEF0, the rest 0.
W = [0x1234, 0x5678, 0x9ABC, 0xDEF0]
AREA_BYTES = b"".join(struct.pack("<H", w) for w in W)
WORDS_BE = b"".join(struct.pack(">H", w) for w in W)


def bits(data, count):
    return [bool((data[i // 8] >> (i % 8)) & 1) for i in range(count)]


def by_pymodbus(message):
    message.unit_id = 1
    rtu = ModbusRtuFramer(ClientDecoder()).buildPacket(message)
    ascii_ = ModbusAsciiFramer(ClientDecoder()).buildPacket(message)
    return rtu, ascii_


def by_hand(message):
    crc = computeCRC(message)
    rtu = message + struct.pack(">H", crc)  # computeCRC gives the wire order
    ascii_ = b":" + message.hex().upper().encode() + b"%02X\r\n" % computeLRC(message)
    return rtu, ascii_


CASES = [
    # name, Function, MemStart, MemQty, AddressType, frames
    ("read coils", 1, "00020", 19, 0, by_pymodbus(ReadCoilsRequest(19, 19))),
    ("read inputs", 2, "10197", 22, 0, by_pymodbus(ReadDiscreteInputsRequest(196, 22))),
    ("read holding", 3, "40001", 2, 0, by_pymodbus(ReadHoldingRegistersRequest(0, 2))),
    ("read input regs", 4, "30009", 1, 0, by_pymodbus(ReadInputRegistersRequest(8, 1))),
    ("write coil", 5, "00173", 1, 0, by_pymodbus(WriteSingleCoilRequest(172, True))),
    ("write register", 6, "40002", 1, 0, by_pymodbus(WriteSingleRegisterRequest(1, W[0]))),
    ("exception status", 7, "40001", 1, 0, by_pymodbus(ReadExceptionStatusRequest())),
    ("diagnostic echo", 8, "0", 1, 0, by_pymodbus(ReturnQueryDataRequest(W[0]))),
    ("write coils", 15, "00020", 16, 0,
     by_pymodbus(WriteMultipleCoilsRequest(19, bits(AREA_BYTES, 16)))),
    ("write registers", 16, "40002", 3, 0,
     by_pymodbus(WriteMultipleRegistersRequest(1, W[:3]))),
    ("report slave id", 17, "40001", 1, 0, by_pymodbus(ReportSlaveIdRequest())),
    ("read file record", 20, "6,4,1,2,6,3,9,2", 1, 0,
     by_pymodbus(ReadFileRecordRequest([FileRecord(file_number=4, record_number=1, record_length=2),
                                        FileRecord(file_number=3, record_number=9, record_length=2)]))),
    ("write file record", 21, "6,4,7,3", 1, 0,
     by_pymodbus(WriteFileRecordRequest([FileRecord(file_number=4, record_number=7,
                                                    record_data=WORDS_BE[:6])]))),
    ("mask write", 22, "40005", 1, 0, by_pymodbus(MaskWriteRegisterRequest(4, W[0], W[1]))),
    ("read/write", 23, "40004,6,40015,3", 1, 0,
     by_pymodbus(ReadWriteMultipleRegistersRequest(read_address=3, read_count=6, write_address=14,
                                                   write_registers=W[:3]))),
    ("device id", 4314, "1,0", 1, 0, by_pymodbus(ReadDeviceInformationRequest(1, 0))),
    ("private id", 65, "40001", 1, 0, by_hand(bytes([1, 65]))),
    ("illegal function", 0, "40001", 1, 0, by_hand(bytes([1, 0]))),
    ("scattered read", 100, "40001,40010", 1, 0,
     by_hand(bytes([1, 100, 6, 4, 0]) + struct.pack(">HH", 0, 9))),
    ("scattered write", 10005, "40001,40010", 1, 0,
     by_hand(bytes([1, 100, 10, 5, 1]) + struct.pack(">HHHH", 0, W[0], 9, W[1]))),
    ("custom bytes", 255, "3,0,1,0,a,0xff", 1, 0, by_hand(bytes([1, 3, 0, 1, 0, 10, 255]))),
    ("enron 6 trigger", 6, "1000", 1, 3, by_hand(bytes([1, 6]) + struct.pack(">H", 1000))),
    ("enron 6 short", 6, "3500", 1, 3, by_hand(bytes([1, 6]) + struct.pack(">HH", 3500, W[0]))),
    ("enron 6 long", 6, "5000", 1, 3,
     by_hand(bytes([1, 6]) + struct.pack(">HHH", 5000, W[0], W[1]))),
    ("enron 16 trigger", 16, "1000", 2, 3,
     by_hand(bytes([1, 16]) + struct.pack(">HH", 1000, 2))),
    ("enron 16 short", 16, "3500", 2, 3,
     by_hand(bytes([1, 16]) + struct.pack(">HHB", 3500, 2, 4) + WORDS_BE[:4])),
    ("enron 16 long", 16, "5000", 2, 3,
     by_hand(bytes([1, 16]) + struct.pack(">HHB", 5000, 2, 8) + WORDS_BE[:8])),
]

def replies():
    from pymodbus.bit_read_message import ReadCoilsResponse
    from pymodbus.other_message import ReadExceptionStatusResponse, ReportSlaveIdResponse
    from pymodbus.pdu import ExceptionResponse
    from pymodbus.register_read_message import (ReadHoldingRegistersResponse,
                                                ReadWriteMultipleRegistersResponse)
    from pymodbus.register_write_message import WriteMultipleRegistersResponse
    return [
        ("holding", ReadHoldingRegistersResponse([0x1234, 0x5678])),
        ("coils", ReadCoilsResponse([True, False, True, True, False, False, False, False,
                                     True, False, True])),
        ("exception", ExceptionResponse(0x03, 2)),
        ("status", ReadExceptionStatusResponse(0x6D)),
        ("write echo", WriteMultipleRegistersResponse(1, 3)),
        ("read/write", ReadWriteMultipleRegistersResponse([0x0102, 0x0304, 0x0506])),
        ("slave id", ReportSlaveIdResponse(b"DLC", True)),
    ]


# pymodbus 3.0 lays file-record sub-responses out in its own way; this one is the example of
# the Modbus application protocol (two records, file response lengths 5), framed by hand.
FILE_RECORD_REPLY = bytes.fromhex("01140C05060DFE0020050633CD0040")

for name, frames in [(n, by_pymodbus(m)) for n, m in replies()] + [
        ("file record", by_hand(FILE_RECORD_REPLY))]:
    rtu, ascii_ = frames
    print('    {"%s", "%s", "%s"},' % (name, rtu.hex(" ").upper(),
                                       ascii_.decode().replace("\r\n", "\\r\\n")))
print()
for name, function, mem_start, qty, addr_type, (rtu, ascii_) in CASES:
    print('    {"%s", %d, "%s", %d, %d,\n     "%s",\n     "%s"},'
          % (name, function, mem_start, qty, addr_type, rtu.hex(" ").upper(),
             ascii_.decode().replace("\r\n", "\\r\\n")))
