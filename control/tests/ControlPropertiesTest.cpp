// The control's member table as hosts see it: names and numbers, types and defaults,
// run-time-only and read-only members, validation with its exact messages, the modified
// flag and change notifications, and persistence.
#include "ctrl/ControlProperties.h"

#include "ControlTestSupport.h"

#include <optional>

namespace tavrin::test {
namespace {

namespace d = dispid;
using automation::VarType;

class PropertiesTest : public ::testing::Test {
protected:
    PropertiesTest() {
        m_control->advise(&m_host);
        m_control->setSite(&m_host);
    }

    std::unique_ptr<CTAVRINCtrl> m_control = CTAVRINCtrl::create();
    Host m_host;
};

// Every property with its number, type and value on a new control. Numbers, types and
// defaults are the published interface; "run time only" members refuse reads in design
// mode (394), read-only ones refuse writes (383).
struct PropertyRow {
    const char* name;
    automation::DispId id;
    Variant initial;
    bool runTimeOnly;
    bool readOnly;
};

const PropertyRow kPropertyTable[] = {
    {"AdapterPrefix", 1, Variant::bstr("COM"), false, false},
    {"Busy", 2, Variant::boolean(false), true, true},
    {"CommSettings", 3, Variant::bstr("9600,E,8,1"), false, false},
    {"DataString", 4, Variant::bstr(""), true, false},
    {"DataMode", 5, Variant::i2(0), false, false},
    {"ErrorChecking", 6, Variant::i2(0), true, false},
    {"Function", 7, Variant::i2(1), false, false},
    {"MemQty", 8, Variant::i2(1), false, false},
    {"MemStart", 9, Variant::bstr("40001"), false, false},
    {"NodeAddress", 10, Variant::bstr("1"), false, false},
    {"Result", 11, Variant::i2(0), true, true},
    {"SlaveEnabled", 12, Variant::boolean(false), false, false},
    {"SlaveMemStart", 13, Variant::bstr("0"), false, false},
    {"TimeoutConnect", 14, Variant::i2(0), true, false},
    {"TimeoutTrans", 15, Variant::i2(150), false, false},
    {"AutoPollEnabled", 16, Variant::boolean(false), false, false},
    {"AutoPollInterval", 17, Variant::i4(50), false, false},
    {"Adapter", 18, Variant::i2(1), false, false},
    {"SlaveMemQty", 19, Variant::i2(0), true, true},
    {"AddressType", 20, Variant::i2(0), false, false},
    {"ResultString", 56, Variant::bstr("Successful transaction!"), true, true},
    {"Enabled", -514, Variant::boolean(true), false, false},
};

TEST_F(PropertiesTest, EveryPropertyHasItsNumberTypeAndInitialValue) {
    for (const PropertyRow& row : kPropertyTable) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(m_control->idOfName(row.name), row.id);
        Variant value = get(*m_control, row.id);
        EXPECT_EQ(value, row.initial);
        // Hosts may read a property with a method call as well.
        ASSERT_TRUE(call(*m_control, row.id, {}, &value));
        EXPECT_EQ(value, row.initial);
    }
}

TEST_F(PropertiesTest, DesignModeRefusesReadsOfRunTimeOnlyMembers) {
    m_host.runMode = false;
    for (const PropertyRow& row : kPropertyTable) {
        SCOPED_TRACE(row.name);
        Variant value;
        const automation::Status s = m_control->invoke(row.id, InvokeKind::PropertyGet, {}, value);
        if (row.runTimeOnly) {
            ASSERT_FALSE(s);
            EXPECT_EQ(s.error().number, 394);
        } else {
            EXPECT_TRUE(s);
        }
    }
}

TEST_F(PropertiesTest, ReadOnlyMembersRefuseWrites) {
    for (const PropertyRow& row : kPropertyTable) {
        SCOPED_TRACE(row.name);
        const automation::Status s = put(*m_control, row.id, row.initial);
        if (row.readOnly) {
            ASSERT_FALSE(s);
            EXPECT_EQ(s.error().number, 383);
        } else {
            EXPECT_TRUE(s);
        }
    }
    const automation::Status s = put(*m_control, d::SlaveDataWord, Variant::i2(0));
    ASSERT_FALSE(s);
}

TEST_F(PropertiesTest, MemberNamesMatchWithoutCaseAndUnknownOnesFail) {
    EXPECT_EQ(m_control->idOfName("asyncrefresh"), d::AsyncRefresh);
    EXPECT_EQ(m_control->idOfName("GETDATAFLOATSWAPM"), d::GetDataFloatSwapM);
    EXPECT_EQ(m_control->idOfName("Refresh"), -550);
    EXPECT_EQ(m_control->idOfName("AboutBox"), -552);
    EXPECT_EQ(m_control->idOfName("Nonsense"), std::nullopt);
    EXPECT_EQ(m_control->eventIdOfName("complete"), 1);
    EXPECT_EQ(m_control->eventIdOfName("ModemStatusChange"), 5);
    Variant out;
    const automation::Status s = m_control->invoke(999, InvokeKind::Method, {}, out);
    ASSERT_FALSE(s);
    EXPECT_EQ(s.error().number, 438);
    const automation::Status wrongCount = call(*m_control, d::AsyncRefresh, {Variant::i2(1)});
    ASSERT_FALSE(wrongCount);
    EXPECT_EQ(wrongCount.error().number, 450);
}

// Writes and what they leave: the expected values and messages are those the control
// publishes; refused writes keep the old value.
struct WriteCase {
    const char* what;
    automation::DispId id;
    Variant value;
    std::optional<std::int32_t> error;
    const char* message;
    Variant after;
};

const WriteCase kWriteCases[] = {
    {"Function 9 is not a function", d::Function, Variant::i2(9), 20002,
     "Illegal value specified for Function property!", Variant::i2(1)},
    {"Function 4314 is one", d::Function, Variant::i2(4314), {}, "", Variant::i2(4314)},
    {"Function 10005 is one", d::Function, Variant::i4(10005), {}, "", Variant::i2(10005)},
    {"Function -1", d::Function, Variant::i2(-1), 20002,
     "Illegal value specified for Function property!", Variant::i2(1)},
    {"parity letter upper-cased",
     d::CommSettings,
     Variant::bstr("19200,o,8,2"),
     {},
     "",
     Variant::bstr("19200,O,8,2")},
    {"parity X", d::CommSettings, Variant::bstr("9600,X,8,1"), 20004, "Invalid Comm Port Settings!",
     Variant::bstr("9600,E,8,1")},
    {"two commas only", d::CommSettings, Variant::bstr("9600,E,8"), 20004,
     "Invalid Comm Port Settings!", Variant::bstr("9600,E,8,1")},
    {"stop bits 1.5", d::CommSettings, Variant::bstr("9600,E,8,1.5"), 20004,
     "Invalid Comm Port Settings!", Variant::bstr("9600,E,8,1")},
    {"TimeoutTrans 0 ignored", d::TimeoutTrans, Variant::i2(0), {}, "", Variant::i2(150)},
    {"TimeoutTrans -5 ignored", d::TimeoutTrans, Variant::i2(-5), {}, "", Variant::i2(150)},
    {"AutoPollInterval -1", d::AutoPollInterval, Variant::i4(-1), 20011,
     "AutoPollInterval property must be in range 0..32000!", Variant::i4(50)},
    {"AutoPollInterval 32001", d::AutoPollInterval, Variant::i4(32001), 20011,
     "AutoPollInterval property must be in range 0..32000!", Variant::i4(50)},
    {"AutoPollInterval 0", d::AutoPollInterval, Variant::i4(0), {}, "", Variant::i4(0)},
    {"AutoPollInterval 32000", d::AutoPollInterval, Variant::i4(32000), {}, "", Variant::i4(32000)},
    {"MemStart upper-cased", d::MemStart, Variant::bstr("4x0001"), {}, "", Variant::bstr("4X0001")},
    {"Adapter without range test", d::Adapter, Variant::i2(0), {}, "", Variant::i2(0)},
    {"TimeoutConnect ignored", d::TimeoutConnect, Variant::i2(500), {}, "", Variant::i2(0)},
    {"ErrorChecking ignored", d::ErrorChecking, Variant::i2(1), {}, "", Variant::i2(0)},
    {"DataString ignored", d::DataString, Variant::bstr("abc"), {}, "", Variant::bstr("")},
    // Late-bound callers pass what they have; it is coerced to the declared type.
    {"numeric text for a 16-bit property",
     d::MemQty,
     Variant::bstr(" 12 "),
     {},
     "",
     Variant::i2(12)},
    {"32-bit value beyond 16 bits", d::MemQty, Variant::i4(40000), automation::kErrOverflow,
     "Overflow", Variant::i2(1)},
    {"text for a Boolean", d::SlaveEnabled, Variant::bstr("yes"), automation::kErrTypeMismatch,
     "Type mismatch", Variant::boolean(false)},
    {"number for a string", d::NodeAddress, Variant::i4(17), {}, "", Variant::bstr("17")},
};

TEST_F(PropertiesTest, WritesValidateCoerceAndKeepOldValuesOnError) {
    for (const WriteCase& c : kWriteCases) {
        SCOPED_TRACE(c.what);
        auto control = CTAVRINCtrl::create();
        const automation::Status s = put(*control, c.id, c.value);
        if (c.error) {
            ASSERT_FALSE(s);
            EXPECT_EQ(s.error().number, *c.error);
            EXPECT_EQ(s.error().message, c.message);
        } else {
            EXPECT_TRUE(s);
        }
        EXPECT_EQ(get(*control, c.id), c.after);
    }
}

// Which accepted writes mark the control modified and notify the container.
struct NotifyCase {
    const char* what;
    automation::DispId id;
    Variant value;
    bool announced;
};

const NotifyCase kNotifyCases[] = {
    {"changed Function", d::Function, Variant::i2(3), true},
    {"unchanged Function", d::Function, Variant::i2(1), false},
    {"unchanged MemStart after upper-casing", d::MemStart, Variant::bstr("40001"), false},
    {"same CommSettings in lower case", d::CommSettings, Variant::bstr("9600,e,8,1"), false},
    {"SlaveEnabled stored even when equal", d::SlaveEnabled, Variant::boolean(false), true},
    {"AutoPollEnabled is not a design change", d::AutoPollEnabled, Variant::boolean(false), false},
    {"ignored TimeoutTrans", d::TimeoutTrans, Variant::i2(0), false},
    {"ignored TimeoutConnect", d::TimeoutConnect, Variant::i2(7), false},
    {"Adapter is stored while the reopen flag is set", d::Adapter, Variant::i2(1), true},
    {"Enabled", d::Enabled, Variant::boolean(false), true},
    {"indexed data property", d::DataWord, Variant::i2(0), true},
};

TEST_F(PropertiesTest, AcceptedWritesMarkModifiedAndNotifyTheContainer) {
    for (const NotifyCase& c : kNotifyCases) {
        SCOPED_TRACE(c.what);
        auto control = CTAVRINCtrl::create();
        Host host;
        control->setSite(&host);
        automation::Status s;
        if (c.id == d::DataWord) {
            Variant args[] = {Variant::i2(3), c.value}, ignored;
            s = control->invoke(c.id, InvokeKind::PropertyPut, args, ignored);
        } else {
            s = put(*control, c.id, c.value);
        }
        ASSERT_TRUE(s);
        EXPECT_EQ(control->isModified(), c.announced);
        EXPECT_EQ(host.changes,
                  c.announced ? std::vector{c.id} : std::vector<automation::DispId>{});
    }
}

// The Data* members reach the data area: a property and its method pair see the same
// values, and index errors carry 381 with the view's message.
TEST_F(PropertiesTest, DataViewsByNumberShareTheAreaAndRefuseBadIndexes) {
    Variant ignored, out;
    Variant setWord[] = {Variant::i2(0), Variant::i4(0x1234)};
    ASSERT_TRUE(m_control->invoke(d::DataWord, InvokeKind::PropertyPut, setWord, ignored));
    ASSERT_TRUE(call(*m_control, d::GetDataByteM, {Variant::i2(1)}, &out));
    EXPECT_EQ(out, Variant::i2(0x12));
    ASSERT_TRUE(call(*m_control, d::SetDataFloatSwapM, {Variant::i2(1), Variant::r8(1.0)}));
    Variant index = Variant::i2(2);
    ASSERT_TRUE(m_control->invoke(d::DataWord, InvokeKind::PropertyGet, std::span(&index, 1), out));
    EXPECT_EQ(out, Variant::i2(0x3F80));
    ASSERT_TRUE(call(*m_control, d::GetDataBitM, {Variant::i2(2)}, &out));
    EXPECT_EQ(out, Variant::boolean(true));

    const automation::Status bad = call(*m_control, d::GetDataBitM, {Variant::i2(2032)});
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().number, 381);
    EXPECT_EQ(bad.error().message, "DataBit array index must be in range 0..2016!");
    Variant badLong[] = {Variant::i2(63), Variant::i4(1)};
    const automation::Status badPut =
        m_control->invoke(d::DataLong, InvokeKind::PropertyPut, badLong, ignored);
    ASSERT_FALSE(badPut);
    EXPECT_EQ(badPut.error().message, "DataLong array index must be in range 0..63!");
}

// DataString: word 0 counts characters, each later word gives its high byte then its low
// byte, the count rounded up to whole words and cut at the end of the views.
TEST_F(PropertiesTest, DataStringReadsCountedCharactersHighByteFirst) {
    const auto setWord = [&](std::int16_t i, std::int32_t v) {
        ASSERT_TRUE(call(*m_control, d::SetDataWordM, {Variant::i2(i), Variant::i4(v)}));
    };
    setWord(0, 3);
    setWord(1, 0x4142); // "AB"
    setWord(2, 0x4344); // "CD"
    EXPECT_EQ(get(*m_control, d::DataString), Variant::bstr("ABCD"));
    setWord(0, 0);
    EXPECT_EQ(get(*m_control, d::DataString), Variant::bstr(""));
    setWord(0, -1);
    EXPECT_EQ(get(*m_control, d::DataString), Variant::bstr(""));
    setWord(0, 32767);
    EXPECT_EQ(get(*m_control, d::DataString).asBstr().substr(0, 4), "ABCD");
    EXPECT_EQ(get(*m_control, d::DataString).asBstr().size(), 254u); // words 1..127
}

TEST_F(PropertiesTest, AboutBoxNeedsNoWindow) {
    Variant text;
    ASSERT_TRUE(call(*m_control, d::AboutBox, {}, &text));
    EXPECT_EQ(text.type(), VarType::Bstr);
}

// Persistence: everything written comes back in a new control; the stream's first word is
// the format version, and streams of format 2.0 load without AddressType.
TEST_F(PropertiesTest, SavedPropertiesLoadIntoANewControl) {
    ASSERT_TRUE(put(*m_control, d::Adapter, Variant::i2(7)));
    ASSERT_TRUE(put(*m_control, d::AdapterPrefix, Variant::bstr("TTY")));
    ASSERT_TRUE(put(*m_control, d::CommSettings, Variant::bstr("38400,N,8,2")));
    ASSERT_TRUE(put(*m_control, d::Function, Variant::i2(4)));
    ASSERT_TRUE(put(*m_control, d::MemStart, Variant::bstr("30001")));
    ASSERT_TRUE(put(*m_control, d::NodeAddress, Variant::bstr("17")));
    ASSERT_TRUE(put(*m_control, d::AutoPollInterval, Variant::i4(1000)));
    ASSERT_TRUE(put(*m_control, d::AddressType, Variant::i2(3)));
    ASSERT_TRUE(put(*m_control, d::Enabled, Variant::boolean(false)));
    ASSERT_TRUE(m_control->isModified());

    automation::PropertyWriter out;
    m_control->save(out);
    EXPECT_FALSE(m_control->isModified());
    ASSERT_GE(out.bytes().size(), 4u);
    EXPECT_EQ(out.bytes()[0] | (out.bytes()[1] << 8) | (out.bytes()[2] << 16), 0x20001);

    auto loaded = CTAVRINCtrl::create();
    automation::PropertyReader in(out.bytes());
    ASSERT_TRUE(loaded->load(in));
    for (const PropertyRow& row : kPropertyTable) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(get(*loaded, row.id), get(*m_control, row.id));
    }
    EXPECT_FALSE(loaded->isModified());
}

TEST_F(PropertiesTest, FormatTwoZeroStreamLoadsAddressTypeZero) {
    ControlProperties old;
    old.addressType = 3;
    old.function = 4;
    automation::PropertyWriter full;
    saveProperties(old, full);
    // The same stream as format 2.0 wrote it: version 0x20000, no AddressType at the end.
    std::vector<std::uint8_t> bytes(full.bytes().begin(), full.bytes().end() - 2);
    bytes[0] = 0x00;
    ASSERT_TRUE(put(*m_control, d::AddressType, Variant::i2(2)));
    automation::PropertyReader in(bytes);
    ASSERT_TRUE(m_control->load(in));
    EXPECT_EQ(get(*m_control, d::AddressType), Variant::i2(0));
    EXPECT_EQ(get(*m_control, d::Function), Variant::i2(4));
}

TEST_F(PropertiesTest, TruncatedStreamIsRefusedAndChangesNothing) {
    automation::PropertyWriter out;
    saveProperties(ControlProperties{.function = 4}, out);
    ASSERT_TRUE(put(*m_control, d::Function, Variant::i2(3)));
    for (std::size_t cut :
         {std::size_t{0}, std::size_t{3}, std::size_t{20}, out.bytes().size() - 1}) {
        SCOPED_TRACE(cut);
        automation::PropertyReader in(std::span(out.bytes()).first(cut));
        EXPECT_FALSE(m_control->load(in));
        EXPECT_EQ(get(*m_control, d::Function), Variant::i2(3));
    }
}

} // namespace
} // namespace tavrin::test
