#include "protocol/MtkLogDump.h"

#include <string>

#include "core/DiagLog.h"
#include "core/LocalTime.h"
#include "core/TextFormat.h"

namespace ml::mtkdump {

using namespace mtk;

namespace {
const char* const kRule = "##################################################\n";

std::string ValFlags(uint8_t flags) {
    if (flags == 0) {
        return "[NO FIX]";
    }
    std::string text;
    if (flags & 0x01) text += "[FIX]";
    if (flags & 0x02) text += " [SPS]";
    if (flags & 0x04) text += " [DGPS]";
    if (flags & 0x40) text += " [EST]";
    return text;
}

std::string RcrFlags(uint16_t reason) {
    std::string text;
    if (reason & 0x1) text += " [SEC]";
    if (reason & 0x2) text += " [SPD]";
    if (reason & 0x4) text += " [DIS]";
    if (reason & 0x8) text += " [BTN]";
    return text;
}

std::string Label(const char* name) { return Format("%10s: ", name); }

// One line for a field before the satellite block.
std::string PrefixField(int bit, const uint8_t* p) {
    const char* name = kFieldNames[static_cast<size_t>(bit)];
    switch (bit) {
        case kUtc: {
            const uint32_t utc = ReadU32(p);
            if (utc >= 0x80000000u) {
                return Label(name) + "NO TIME DATA\n";
            }
            return Label(name) + CalendarText(static_cast<int32_t>(utc)) + "\n";
        }
        case kVal: return Label(name) + ValFlags(p[0]) + "\n";
        case kLat:
        case kLon: return Label(name) + Format("%-9.6f\n", static_cast<double>(ReadFloat(p)));
        case kSpd: {
            const float kmh = static_cast<float>(static_cast<int32_t>(ReadU32(p))) * 3.6f / 100.0f;
            return Label(name) + Format("%f\n", static_cast<double>(kmh));
        }
        case kHgt: return Label(name) + Format("%f\n", static_cast<double>(ReadHeight(p)));
        case kTrk:
        case kDage: return Label(name) + Format("%-9.2f\n", static_cast<double>(ReadFloat(p)));
        case kDsta: return Label(name) + Format("%x\n", ReadU16(p));
        case kPdop:
        case kHdop:
        case kVdop: return Label(name) + Format("%-9.2f\n", ReadU16(p) / 100.0);
        case kNsat: return Format("%10s: %d\n%10s: %d\n", "IN_VIEW", p[0], "IN_USE", p[1]);
        default: return {};
    }
}
}  // namespace

void SectorHeader(int sectorIndex, std::span<const uint8_t> header) {
    if (header.size() < kHeaderSize) {
        return;
    }
    const uint8_t* h = header.data();
    const uint16_t mode = ReadU16(h + 6);
    std::string text = kRule;
    text += Format("# SECTOR # : %-8d #\n", sectorIndex);
    text += Format("# SECTOR COUNT : %-8x #\n", ReadU16(h));
    text += Format("# FORMAT REGISTER: %-8lx #\n", static_cast<unsigned long>(ReadU32(h + 2)));
    text += Format("# RCD METHOD : %-8s #\n", (mode & 0x0004) ? "STOP" : "OVP");
    text += Format("# RCD MODE : %-8x #\n", mode);
    text += Format("# SEC MODE : %-8d #\n", static_cast<int>(ReadU32(h + 8)));
    text += Format("# DIS MODE : %-8d #\n", static_cast<int>(ReadU32(h + 12)));
    text += Format("# SPD MODE : %-8d #\n", static_cast<int>(ReadU32(h + 16)));
    text += "# FSEC MODE : ";
    for (size_t i = 0; i < 32; ++i) {
        text += Format("%-2x ", h[0x14 + i]);
    }
    text += "#\n";
    text += kRule;
    DiagWrite(text);
}

void Marker(std::span<const uint8_t> marker) {
    if (marker.size() < kMarkerSize) {
        return;
    }
    const uint32_t value = ReadU32(marker.data() + kMarkerValueOffset);
    const double tenths = value / 10.0;
    switch (marker[kMarkerTypeOffset]) {
        case kChangeFormat: DiagPrintf("<CHANGE FORMAT : %08lxh >\n", static_cast<unsigned long>(value)); break;
        case kChangeSec: DiagPrintf("<CHANGE SEC : %08f >\n", tenths); break;
        case kChangeDis: DiagPrintf("<CHANGE DIS : %08f >\n", tenths); break;
        case kChangeSpd: DiagPrintf("<CHANGE SPD : %08f >\n", tenths); break;
        case kChangeMethod: DiagPrintf("<CHANGE METHOD : %04xh >\n", value & 0xFFFFu); break;
        case kChangeMod: DiagPrintf("<CHANGE MOD : %04xh >\n", value & 0xFFFFu); break;
        default: break;
    }
}

void Record(const MtkRecordLayout& layout, std::span<const uint8_t> record) {
    const size_t length = layout.Length(record);
    if (length == 0 || length > record.size()) {
        return;
    }
    std::string text;
    for (int bit = kUtc; bit < kSid; ++bit) {
        const int at = layout.offset[static_cast<size_t>(bit)];
        if (at != MtkRecordLayout::kAbsent) {
            text += PrefixField(bit, record.data() + at);
        }
    }
    size_t at = layout.prefixBytes;
    if (layout.hasSatellites) {
        const int count = layout.SatelliteCount(record);
        if (count == 0) {
            text += " NO SAT IN VIEW\n";
            at += kFieldBytes[kSid];
        }
        for (int i = 0; i < count; ++i) {
            const uint8_t* sid = record.data() + at;
            text += " --------------------------------\n";
            text += Format(" %10s# %02d%s\n", "SID", sid[0], (sid[1] & 1) ? " [IN_USE]" : "");
            at += kFieldBytes[kSid];
            for (int bit = kEle; bit <= kSnr; ++bit) {
                if (layout.format & (1u << bit)) {
                    const int value =
                        bit == kSnr ? ReadU16(record.data() + at) : static_cast<int16_t>(ReadU16(record.data() + at));
                    text += Format(" %10s: %02d\n", kFieldNames[static_cast<size_t>(bit)], value);
                    at += 2;
                }
            }
        }
    }
    if (layout.Has(kRcr)) {
        const uint16_t reason = ReadU16(record.data() + at);
        text += Label("RCR") + Format("%x", reason) + RcrFlags(reason) + "\n";
        at += 2;
    }
    if (layout.Has(kMs)) {
        text += Label("MS") + Format("%d\n", ReadU16(record.data() + at));
    }
    DiagWrite(text);
}

void NoTime() { DiagWrite("NO TIME DATA\n"); }

void ChecksumError() { DiagWrite("crc Error\n"); }

void RecordEnd(int counter) { DiagPrintf("(%d)===================================================\n", counter); }

}  // namespace ml::mtkdump
