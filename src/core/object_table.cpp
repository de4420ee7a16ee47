#include "core/object_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <utility>

#include "astro/angles.h"
#include "astro/constants.h"
#include "astro/sun.h"
#include "text/fixed_texts.h"
#include "text/numbers.h"
#include "text/strings.h"

namespace celestra {
namespace {

using namespace astro;

// ---- What a column means ------------------------------------------------------
// The roles a column can play, and for each the names the services give it
// (the Gaia archive, SIMBAD, VizieR) and the content descriptor (UCD) a
// VOTable or VizieR's comments give it. A name is matched exactly, as the
// services write it; a descriptor by its words.
enum Role : std::size_t {
    kName,
    kRa,  // the catalogue's own place, at its own epoch
    kDec,
    kRaJ2000,  // a place computed for J2000, motion applied
    kDecJ2000,
    kPmRa,  // with the cos dec factor
    kPmDec,
    kParallax,
    kRadialVelocity,
    kEpoch,
    kRoleCount,
};

struct RoleNames {
    std::array<std::string_view, 8> names;
    std::string_view ucd;  // empty: names only
};

constexpr RoleNames kRoles[kRoleCount] = {
    {{"designation", "main_id", "DR3Name", "Name", "source_id", "Source", "HIP", "HD"}, "meta.id;meta.main"},
    {{"ra", "RA_ICRS", "RAdeg", "RA_d", "ra_epoch2000"}, "pos.eq.ra;meta.main"},
    {{"dec", "DE_ICRS", "DEdeg", "DEC_d", "dec_epoch2000"}, "pos.eq.dec;meta.main"},
    {{"_RAJ2000", "RAJ2000"}, ""},
    {{"_DEJ2000", "DEJ2000"}, ""},
    {{"pmra", "pmRA", "pm_ra"}, "pos.pm;pos.eq.ra"},
    {{"pmdec", "pmDE", "pm_dec"}, "pos.pm;pos.eq.dec"},
    {{"parallax", "Plx", "plx_value", "plx"}, "pos.parallax.trig"},
    {{"radial_velocity", "RV", "RVel", "rvz_radvel", "HRV"}, "spect.dopplerVeloc.opt;em.opt.I"},
    {{"ref_epoch", "Epoch", "epoch"}, "meta.ref;time.epoch"},
};

// A column of SIMBAD's own places: they stand at J2000.
constexpr std::string_view kSimbadIdentifier = "main_id";
constexpr double kSimbadEpochJulianYear = 2000.0;
// Catalogue names whose bare numbers read better after the catalogue's name.
constexpr std::string_view kNumberedCatalogues[] = {"HIP", "HD"};

// Magnitudes: V where a table has one, else G, else the first magnitude.
constexpr std::string_view kVNames[] = {"V", "Vmag", "flux_V", "V_mag"};
constexpr std::string_view kGNames[] = {"phot_g_mean_mag", "Gmag", "G"};
constexpr std::string_view kMagnitudeUnit = "mag";
constexpr std::string_view kMagnitudeUcd = "phot.mag";
constexpr std::string_view kErrorUcd = "stat.error";

// ---- Units ----------------------------------------------------------------------
// Each role's units, as the services write them, and the factor to the
// unit the run uses (degrees, mas a year, mas, km/s, Julian years). An
// empty unit is the services' convention for the column's name.
enum class Scale { kDegrees, kHoursSexagesimal, kDegreesSexagesimal, kFactor };
struct UnitRule {
    std::string_view unit;
    Scale scale;
    double factor;
};

constexpr double kMasPerArcsec = 1000.0;
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr UnitRule kAngleUnits[] = {
    {"rad", Scale::kDegrees, kDegreesPerRadian},
    {"", Scale::kDegrees, 1},
    {"deg", Scale::kDegrees, 1},
    {"degree", Scale::kDegrees, 1},
    {"degrees", Scale::kDegrees, 1},
    {"h:m:s", Scale::kHoursSexagesimal, 1},
    {"\"h:m:s\"", Scale::kHoursSexagesimal, 1},
    {"d:m:s", Scale::kDegreesSexagesimal, 1},
    {"\"d:m:s\"", Scale::kDegreesSexagesimal, 1},
};
constexpr UnitRule kProperMotionUnits[] = {
    {"", Scale::kFactor, 1},
    {"mas/yr", Scale::kFactor, 1},
    {"mas.yr**-1", Scale::kFactor, 1},
    {"mas / yr", Scale::kFactor, 1},
    {"mas yr-1", Scale::kFactor, 1},
    {"mas/a", Scale::kFactor, 1},
    {"mas.a**-1", Scale::kFactor, 1},
    {"mas.yr-1", Scale::kFactor, 1},
    {"mas/year", Scale::kFactor, 1},
    {"arcsec.yr-1", Scale::kFactor, kMasPerArcsec},
    {"arcsec/yr", Scale::kFactor, kMasPerArcsec},
    {"arcsec / yr", Scale::kFactor, kMasPerArcsec},
    {"arcsec.yr**-1", Scale::kFactor, kMasPerArcsec},
    {"\"/yr", Scale::kFactor, kMasPerArcsec},
    {"\"/a", Scale::kFactor, kMasPerArcsec},
};
constexpr UnitRule kParallaxUnits[] = {
    {"", Scale::kFactor, 1},
    {"mas", Scale::kFactor, 1},
    {"arcsec", Scale::kFactor, kMasPerArcsec},
    {"\"", Scale::kFactor, kMasPerArcsec},
};
constexpr UnitRule kVelocityUnits[] = {
    {"", Scale::kFactor, 1},       {"km/s", Scale::kFactor, 1},   {"km.s**-1", Scale::kFactor, 1},
    {"km / s", Scale::kFactor, 1}, {"km s-1", Scale::kFactor, 1}, {"km.s-1", Scale::kFactor, 1},
};
constexpr UnitRule kEpochUnits[] = {
    {"", Scale::kFactor, 1},     {"yr", Scale::kFactor, 1},          {"a", Scale::kFactor, 1},
    {"year", Scale::kFactor, 1}, {"Julian year", Scale::kFactor, 1},
};
constexpr UnitRule kMagnitudeUnits[] = {{"", Scale::kFactor, 1}, {"mag", Scale::kFactor, 1}};

std::span<const UnitRule> UnitsOf(std::size_t role) {
    switch (role) {
        case kRa:
        case kDec:
        case kRaJ2000:
        case kDecJ2000: return kAngleUnits;
        case kPmRa:
        case kPmDec: return kProperMotionUnits;
        case kParallax: return kParallaxUnits;
        case kRadialVelocity: return kVelocityUnits;
        case kEpoch: return kEpochUnits;
        default: return kMagnitudeUnits;
    }
}

bool Contains(std::span<const std::string_view> names, std::string_view name) {
    for (const std::string_view known : names) {
        if (known == name) return true;
    }
    return false;
}

bool HasUcd(const TableColumn& column, std::string_view ucd) { return !ucd.empty() && column.ucd == ucd; }

// A colour (B-V) is in magnitudes too, and no magnitude.
constexpr std::string_view kColourUcd = "phot.color";

bool IsErrorColumn(const TableColumn& column) {
    return column.ucd.find(kErrorUcd) != std::string::npos || column.name.starts_with("e_") ||
           column.name.ends_with("_error");
}

// ---- Cells --------------------------------------------------------------------

bool IsNull(std::string_view cell) { return cell.empty() || cell == "NaN" || cell == "nan" || cell == "null"; }

// A decimal number with a point, whatever the regional settings: tables
// are written so. False for anything else.
bool ReadDecimal(std::string_view text, double& value) {
    text = Trim(text);
    if (text.starts_with('+')) text.remove_prefix(1);
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// "07 33 41.30", "07:33:41.3", "-00 05 12" as units (hours or degrees);
// the sign applies to the whole.
bool ReadSexagesimal(std::string_view text, double& units) {
    text = Trim(text);
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+')) text.remove_prefix(1);
    double parts[3] = {0, 0, 0};
    std::size_t count = 0;
    while (!text.empty() && count < 3) {
        const std::size_t end = text.find_first_of(" :");
        if (!ReadDecimal(text.substr(0, end), parts[count]) || parts[count] < 0) return false;
        ++count;
        text = end == std::string_view::npos ? std::string_view() : Trim(text.substr(end + 1));
    }
    if (!text.empty() || count == 0) return false;
    units = parts[0] + parts[1] / kMinutesPerUnit + parts[2] / kSecondsPerUnit;
    if (negative) units = -units;
    return true;
}

std::string NotANumber(std::string_view cell) { return "'" + std::string(cell) + kNotANumberAfter; }

// "Ep=2016.0", "Epoch=J2000", "epoch J1991.25" in a column's description,
// or "J2016.0" as a VOTable's coordinate system gives it.
std::optional<double> EpochInText(std::string_view text) {
    for (const std::string_view marker : {"Ep=", "Epoch=", "epoch="}) {
        const std::size_t at = text.find(marker);
        if (at == std::string_view::npos) continue;
        std::string_view rest = text.substr(at + marker.size());
        const std::size_t end = rest.find_first_of(" ,;)]");
        rest = rest.substr(0, end);
        if (double epoch = 0; ReadEpochText(rest, epoch)) return epoch;
    }
    return std::nullopt;
}

// The key's alphabet: letters and digits, as a designation's.
constexpr std::string_view kKeyDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

}  // namespace

ObjectListError::ObjectListError(std::string designation, std::string whereAndWhy)
    : Error(kFormatErrorFor + designation + "\n" + whereAndWhy),
      designation_(std::move(designation)),
      whereAndWhy_(std::move(whereAndWhy)),
      text_(kFormatErrorFor + designation_ + "\n" + whereAndWhy_) {}

std::string WhereInTable(const TablePlace& where, std::string_view column) {
    std::string text;
    if (where.row > 0) {
        text = kWhereRow + IntToText(static_cast<std::int64_t>(where.row));
        if (where.line > 0)
            text += " (" + std::string(kWhereLine) + IntToText(static_cast<std::int64_t>(where.line)) + ")";
    } else if (where.line > 0) {
        text = kWhereLine + IntToText(static_cast<std::int64_t>(where.line));
    }
    if (!column.empty()) {
        if (!text.empty()) text += ", ";
        text += kWhereColumnBefore + std::string(column) + "'";
    }
    return text;
}

bool ReadEpochText(std::string_view text, double& epochJulianYear) {
    text = Trim(text);
    if (text.starts_with('J')) text.remove_prefix(1);
    double epoch = 0;
    if (!ReadDecimal(text, epoch) || epoch < kEarliestEpochJulianYear || epoch > kLatestEpochJulianYear) return false;
    epochJulianYear = epoch;
    return true;
}

std::string DesignationKeyOf(std::string_view name) {
    if (name.size() <= static_cast<std::size_t>(kDesignationField.width)) return std::string(name);
    // FNV-1a over the whole name, then a 64-bit finaliser to spread it.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdull;
    hash ^= hash >> 33;
    std::string key(static_cast<std::size_t>(kDesignationField.width), '0');
    for (char& digit : key) {
        digit = kKeyDigits[hash % kKeyDigits.size()];
        hash /= kKeyDigits.size();
    }
    return key;
}

TableKind ObjectListKindOf(std::string_view head) {
    const TableKind kind = TableKindOf(head);
    if (kind != TableKind::kCsv) return kind;
    const std::vector<std::string> names = CsvHeaderNames(head);
    // An object line's free text may hold commas: such a line is no header.
    std::string_view first = head.substr(0, head.find('\n'));
    if (first.ends_with('\r')) first.remove_suffix(1);
    if (ClassifyObjectLine(first) != ObjectLineKind::kSkipped) return TableKind::kNotATable;
    for (const std::string& name : names) {
        for (const RoleNames& role : kRoles) {
            if (Contains(role.names, name)) return kind;
        }
    }
    return TableKind::kNotATable;
}

namespace {

// The columns found for each role, and how each converts.
struct Chosen {
    std::size_t column = 0;
    std::size_t slot = 0;  // among the cells a row gives
    bool found = false;
    UnitRule unit{};
};

class ObjectRows final : public TableSink {
public:
    ObjectRows(std::optional<double> epochOption, const std::string& fileName, std::size_t rowsToExpect)
        : epochOption_(epochOption), fileName_(fileName) {
        objects_.reserve(rowsToExpect);
        keys_.reserve(rowsToExpect);
    }

    std::vector<std::size_t> Columns(const std::vector<TableColumn>& columns) override {
        columns_ = columns;
        FindRoles();
        FindMagnitude();
        ChoosePlace();
        const std::pair<Chosen*, std::size_t> used[] = {
            {&ra_, kRa},
            {&dec_, kDec},
            {&roles_[kPmRa], kPmRa},
            {&roles_[kPmDec], kPmDec},
            {&roles_[kParallax], kParallax},
            {&roles_[kRadialVelocity], kRadialVelocity},
            {&epochColumn_, kEpoch},
            {&magnitude_, kRoleCount},
        };
        for (const auto& [chosen, role] : used) {
            if (chosen->found) chosen->unit = UnitOf(chosen->column, role);
        }
        std::vector<std::size_t> wanted;
        for (Chosen* chosen : {&roles_[kName], &ra_, &dec_, &roles_[kPmRa], &roles_[kPmDec], &roles_[kParallax],
                               &roles_[kRadialVelocity], &epochColumn_, &magnitude_}) {
            if (!chosen->found) continue;
            // One column in two roles is asked for once.
            const auto asked = std::find(wanted.begin(), wanted.end(), chosen->column);
            chosen->slot = static_cast<std::size_t>(asked - wanted.begin());
            if (asked == wanted.end()) wanted.push_back(chosen->column);
        }
        hasMotion_ =
            roles_[kPmRa].found || roles_[kPmDec].found || roles_[kParallax].found || roles_[kRadialVelocity].found;
        return wanted;
    }

    void Row(std::span<const std::string_view> cells, const TablePlace& where) override {
        ListedObject listed;
        ObjectPlace& place = listed.place;
        where_ = where;
        std::string name(Trim(cells[roles_[kName].slot]));
        if (numberedCatalogue_ && !name.empty() && name.find_first_not_of("0123456789") == std::string::npos) {
            name = columns_[roles_[kName].column].name + " " + name;
        }
        name_ = name;
        if (name.empty()) Refuse(roles_[kName], kMissingName);
        const std::string key = DesignationKeyOf(name);
        keys_.push_back({PackedKey(key), objects_.size(), where});
        place.designation = key;
        place.designation.resize(static_cast<std::size_t>(kDesignationField.width), ' ');
        if (key != name) place.name = name;

        const double raDeg = Angle(ra_, cells, kMissingRightAscension, kRightAscensionOutOfRange, kDegreesPerTurn);
        const double decDeg = Angle(dec_, cells, kMissingDeclination, kDeclinationOutOfRange, kDegreesPerRightAngle);
        place.raRad = DegreesToRadians(raDeg);
        place.decRad = DegreesToRadians(decDeg);
        place.magnitude = Number(magnitude_, cells, kMissingMagnitude, 0, 0);
        if (hasMotion_ || epochOf_ != kDefaultEpochJulianYear || epochColumn_.found) {
            CatalogueMotion motion;
            motion.pmRaCosDecMasPerYear =
                Number(roles_[kPmRa], cells, nullptr, kMostProperMotionMasPerYear, kProperMotionOutOfRange);
            motion.pmDecMasPerYear =
                Number(roles_[kPmDec], cells, nullptr, kMostProperMotionMasPerYear, kProperMotionOutOfRange);
            motion.parallaxMas = Number(roles_[kParallax], cells, nullptr, kMostParallaxMas, kParallaxOutOfRange);
            motion.radialVelocityKmPerS =
                Number(roles_[kRadialVelocity], cells, nullptr, kMostRadialVelocityKmPerS, kRadialVelocityOutOfRange);
            motion.epochJulianYear = epochOf_;
            if (epochColumn_.found) {
                const std::string_view cell = cells[epochColumn_.slot];
                if (IsNull(cell)) Refuse(epochColumn_, kUnknownEpoch);
                if (!ReadEpochText(cell, motion.epochJulianYear)) {
                    double any = 0;
                    Refuse(epochColumn_, ReadDecimal(cell, any) ? kEpochOutOfRange : NotANumber(cell));
                }
            }
            place.motion = motion;
        }
        objects_.push_back(std::move(listed));
    }

    // Two rows with one key: the first row whose key an earlier row has is
    // refused, naming both. Checked once all rows are read, on a sorted
    // list of the keys rather than a set grown row by row.
    void RefuseCollidingKeys() {
        std::sort(keys_.begin(), keys_.end(),
                  [](const Seen& a, const Seen& b) { return a.key != b.key ? a.key < b.key : a.index < b.index; });
        const Seen* earlier = nullptr;
        const Seen* later = nullptr;
        for (std::size_t i = 1; i < keys_.size(); ++i) {
            if (keys_[i].key != keys_[i - 1].key || (i >= 2 && keys_[i - 2].key == keys_[i].key)) continue;
            if (later == nullptr || keys_[i].index < later->index) {
                earlier = &keys_[i - 1];
                later = &keys_[i];
            }
        }
        if (later == nullptr) return;
        const ObjectPlace& first = objects_[earlier->index].place;
        const ObjectPlace& second = objects_[later->index].place;
        const auto nameOf = [](const ObjectPlace& place) {
            return place.name.empty() ? std::string(DesignationKey(place.designation)) : place.name;
        };
        const std::string secondName = nameOf(second);
        where_ = later->where;
        name_ = secondName;
        Refuse(roles_[kName], kKeyCollisionBefore + std::string(DesignationKey(second.designation)) +
                                  kKeyCollisionMiddle + IntToText(static_cast<std::int64_t>(earlier->where.row)) +
                                  " ('" + nameOf(first) + "')");
    }

    ObjectTable Take() {
        return {std::move(objects_), magnitude_.found ? columns_[magnitude_.column].name : std::string()};
    }

private:
    struct Seen {
        std::uint64_t key;  // packed
        std::size_t index;  // in objects_
        TablePlace where;
    };

    // A key of up to eight bytes as one number, for the set of keys seen.
    static std::uint64_t PackedKey(std::string_view key) {
        std::uint64_t packed = 0;
        for (const char c : key) packed = packed << 8 | static_cast<unsigned char>(c);
        return packed;
    }

    [[noreturn]] void Refuse(const Chosen& chosen, const std::string& reason) const {
        const std::string column = chosen.found ? columns_[chosen.column].name : std::string();
        throw ObjectListError(name_.empty() ? fileName_ : std::string(name_),
                              WhereInTable(where_, column) + ": " + reason);
    }

    [[noreturn]] void RefuseHeader(const std::string& column, const std::string& reason) const {
        throw ObjectListError(fileName_, WhereInTable({}, column) + (column.empty() ? "" : ": ") + reason);
    }

    // The column's unit among the role's, or a refusal that names it.
    UnitRule UnitOf(std::size_t column, std::size_t role) const {
        for (const UnitRule& rule : UnitsOf(role)) {
            if (rule.unit == columns_[column].unit) return rule;
        }
        RefuseHeader(columns_[column].name, kUnknownUnitBefore + columns_[column].unit + kUnknownUnitAfter);
    }

    // The column for a role; its unit is checked once the columns used are
    // known, so that a column the run leaves aside never refuses a table.
    static void Choose(Chosen& chosen, std::size_t column) { chosen = {column, 0, true, UnitRule{}}; }
    void FindRoles() {
        for (std::size_t role = 0; role < kRoleCount; ++role) {
            // A name first, in the order of the table of names; a descriptor
            // where no name is known.
            for (const std::string_view name : kRoles[role].names) {
                for (std::size_t i = 0; i < columns_.size() && !roles_[role].found; ++i) {
                    if (!name.empty() && columns_[i].name == name) Choose(roles_[role], i);
                }
            }
            for (std::size_t i = 0; i < columns_.size() && !roles_[role].found; ++i) {
                if (HasUcd(columns_[i], kRoles[role].ucd)) Choose(roles_[role], i);
            }
        }
        if (roles_[kName].found) {
            numberedCatalogue_ = Contains(kNumberedCatalogues, columns_[roles_[kName].column].name);
        }
        simbad_ = std::any_of(columns_.begin(), columns_.end(),
                              [](const TableColumn& column) { return column.name == kSimbadIdentifier; });
    }

    void FindMagnitude() {
        const auto find = [&](auto matches) {
            for (std::size_t i = 0; i < columns_.size() && !magnitude_.found; ++i) {
                if (matches(columns_[i])) {
                    Choose(magnitude_, i);
                }
            }
        };
        find([](const TableColumn& column) { return Contains(kVNames, column.name); });
        find([](const TableColumn& column) { return Contains(kGNames, column.name); });
        find([](const TableColumn& column) {
            const bool colour = column.ucd.starts_with(kColourUcd) || column.name.find('-') != std::string::npos;
            return !IsErrorColumn(column) && !colour &&
                   (column.unit == kMagnitudeUnit || column.ucd.starts_with(kMagnitudeUcd));
        });
    }

    // The place: the catalogue's own at its epoch where that is known, else
    // the one computed for J2000, else a refusal that says how to give it.
    void ChoosePlace() {
        if (!roles_[kName].found) RefuseHeader("", kNoNameColumn);
        const bool ownPlace = roles_[kRa].found && roles_[kDec].found;
        const bool j2000Place = roles_[kRaJ2000].found && roles_[kDecJ2000].found;
        std::optional<double> ownEpoch;
        if (ownPlace) {
            const TableColumn& raColumn = columns_[roles_[kRa].column];
            if (roles_[kEpoch].found) {
                epochColumn_ = roles_[kEpoch];
            } else if (const std::optional<double> described = EpochInText(raColumn.description)) {
                ownEpoch = described;
            } else if (const std::optional<double> system = EpochInText("Epoch=" + raColumn.epoch);
                       !raColumn.epoch.empty() && system) {
                ownEpoch = system;
            } else if (simbad_) {
                ownEpoch = kSimbadEpochJulianYear;
            } else if (epochOption_) {
                ownEpoch = epochOption_;
            }
        }
        if (ownPlace && (ownEpoch || epochColumn_.found)) {
            ra_ = roles_[kRa];
            dec_ = roles_[kDec];
            epochOf_ = ownEpoch.value_or(kDefaultEpochJulianYear);
        } else if (j2000Place) {
            ra_ = roles_[kRaJ2000];
            dec_ = roles_[kDecJ2000];
            epochOf_ = kDefaultEpochJulianYear;
        } else if (ownPlace) {
            RefuseHeader(columns_[roles_[kRa].column].name, kUnknownEpoch);
        } else if (!roles_[kRa].found && !roles_[kRaJ2000].found) {
            RefuseHeader("", kNoRightAscensionColumn);
        } else {
            RefuseHeader("", kNoDeclinationColumn);
        }
        if (!magnitude_.found) RefuseHeader("", kNoMagnitudeColumn);
    }

    // A number of the row, in the run's unit: a null is `missing`'s refusal,
    // or zero where none is given; beyond `most` (when not 0) out of range.
    double Number(const Chosen& chosen, std::span<const std::string_view> cells, const char* missing, double most,
                  const char* outOfRange) const {
        if (!chosen.found) return 0;
        const std::string_view cell = cells[chosen.slot];
        if (IsNull(Trim(cell))) {
            if (missing != nullptr) Refuse(chosen, missing);
            return 0;
        }
        double value = 0;
        if (!ReadDecimal(cell, value)) Refuse(chosen, NotANumber(cell));
        value *= chosen.unit.factor;
        if (most != 0 && std::fabs(value) > most) Refuse(chosen, outOfRange);
        return value;
    }

    // A right ascension or declination in degrees, decimal or sexagesimal.
    double Angle(const Chosen& chosen, std::span<const std::string_view> cells, const char* missing,
                 const char* outOfRange, double mostDeg) const {
        const std::string_view cell = cells[chosen.slot];
        if (IsNull(Trim(cell))) Refuse(chosen, missing);
        double value = 0;
        const bool read =
            chosen.unit.scale == Scale::kDegrees ? ReadDecimal(cell, value) : ReadSexagesimal(cell, value);
        if (!read) Refuse(chosen, NotANumber(cell));
        if (chosen.unit.scale == Scale::kHoursSexagesimal) value *= kDegreesPerHour;
        const bool rightAscension = mostDeg == kDegreesPerTurn;
        if (rightAscension ? (value < 0 || value >= mostDeg) : std::fabs(value) > mostDeg) Refuse(chosen, outOfRange);
        return value;
    }

    std::optional<double> epochOption_;
    const std::string& fileName_;
    std::vector<TableColumn> columns_;
    std::array<Chosen, kRoleCount> roles_{};
    Chosen ra_, dec_, epochColumn_, magnitude_;
    double epochOf_ = kDefaultEpochJulianYear;
    bool hasMotion_ = false;
    bool numberedCatalogue_ = false;
    bool simbad_ = false;
    std::vector<ListedObject> objects_;
    std::vector<Seen> keys_;
    TablePlace where_;
    std::string_view name_;  // of the row being read, for its refusals
};

}  // namespace

ObjectTable ReadObjectTable(TableKind kind, ByteSource& source, std::optional<double> epochJulianYear,
                            const std::string& fileName, std::size_t rowsToExpect) {
    ObjectRows rows(epochJulianYear, fileName, rowsToExpect);
    try {
        ReadTable(kind, source, rows);
        rows.RefuseCollidingKeys();
    } catch (const TableError& error) {
        throw ObjectListError(fileName, WhereInTable(error.where(), error.column()) + ": " + error.reason());
    }
    return rows.Take();
}

}  // namespace celestra
