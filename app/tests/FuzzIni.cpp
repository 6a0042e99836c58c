// Arbitrary bytes as the settings file and as the label catalogue: reading must end (with
// whatever result) without a fault, and a write must keep every other line and read back.
#include "config/LabelCatalogue.h"
#include "config/PrivateProfile.h"
#include "config/SettingsFile.h"

#include <cstdint>
#include <cstdlib>

using namespace torvik::mdlFileMgr;
using torvik::config::ProfileDocument;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ProfileDocument doc = ProfileDocument::fromBytes(bytes);

    for (const std::int16_t maxDlcIndex : {std::int16_t{3}, std::int16_t{7}}) {
        ProgramValues values;
        values.MaxDlcIndex = maxDlcIndex;
        ReadIniFile(values, doc, doc, QStringLiteral("/nonexistent"));
        ScreenTexts texts;
        LabelSet(values, doc, texts);
        LabelSet2(values, doc, texts);
        LabelSet3(values, doc, texts);
    }

    // Updating a key that may exist, and adding a section that does not: the value reads
    // back after a save and a fresh parse, and the untouched bytes stay as they were.
    ProfileDocument updated = doc;
    updated.writeString(u"SETTINGS", u"Baudrate", u"9600");
    const ProfileDocument reparsed = ProfileDocument::fromBytes(updated.toBytes());
    check(reparsed.getString(u"SETTINGS", u"Baudrate", u"", 99) == u"9600");

    // A section the input does not have goes after everything that was there.
    ProfileDocument appended = doc;
    appended.writeString(u"fuzz-new-section-7f3a", u"key", u"value");
    const QByteArray out = appended.toBytes();
    check(ProfileDocument::fromBytes(out).getString(u"fuzz-new-section-7f3a", u"key", u"", 99) ==
          u"value");
    if (!bytes.toLower().contains("fuzz-new-section-7f3a"))
        check(out.startsWith(bytes) || out.startsWith(bytes + "\n") ||
              out.startsWith(bytes + "\r\n"));
    return 0;
}
