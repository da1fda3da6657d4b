#include "engine/date_time.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace valmuri {
namespace {

// Days from 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civil_from_days(std::int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
    month = static_cast<int>(m);
    day = static_cast<int>(d);
}

// 1899-12-30, day 0 of TDateTime, counted from 1970-01-01.
constexpr std::int64_t EpochOffsetDays = -25569;
constexpr std::int64_t MillisecondsPerDay = 86400000;

bool valid_civil(int year, int month, int day, int hour, int minute, int second)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59)
        return false;
    static const int days_in_month[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= days_in_month[month - 1] + (month == 2 && leap ? 1 : 0);
}

} // namespace

TDateTime encode_date_time(const CivilTime& t)
{
    const std::int64_t days = days_from_civil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day))
        - EpochOffsetDays;
    const double fraction = (t.hour * 3600000.0 + t.minute * 60000.0 + t.second * 1000.0 + t.millisecond)
        / static_cast<double>(MillisecondsPerDay);
    // Dates before day 0 keep the time of day as a positive magnitude.
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

CivilTime decode_date_time(TDateTime value)
{
    CivilTime t;
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return t;
    const double whole = std::trunc(value);
    const double fraction = std::fabs(value - whole);
    auto ms = static_cast<std::int64_t>(std::llround(fraction * MillisecondsPerDay));
    auto days = static_cast<std::int64_t>(whole);
    if (ms >= MillisecondsPerDay) {
        ms -= MillisecondsPerDay;
        days += value >= 0 ? 1 : -1;
    }
    civil_from_days(days + EpochOffsetDays, t.year, t.month, t.day);
    t.hour = static_cast<int>(ms / 3600000);
    t.minute = static_cast<int>(ms / 60000 % 60);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.millisecond = static_cast<int>(ms % 1000);
    return t;
}

TDateTime local_now()
{
    const auto now = std::chrono::system_clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    CivilTime t{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                std::min(local.tm_sec, 59), static_cast<int>(ms % 1000)};
    return encode_date_time(t);
}

std::optional<TDateTime> date_time_from_dos(std::uint32_t dos)
{
    const int year = 1980 + static_cast<int>(dos >> 25);
    const int month = static_cast<int>((dos >> 21) & 0x0F);
    const int day = static_cast<int>((dos >> 16) & 0x1F);
    const int hour = static_cast<int>((dos >> 11) & 0x1F);
    const int minute = static_cast<int>((dos >> 5) & 0x3F);
    const int second = static_cast<int>(dos & 0x1F) * 2;
    if (!valid_civil(year, month, day, hour, minute, second))
        return std::nullopt;
    return encode_date_time({year, month, day, hour, minute, second, 0});
}

std::uint32_t dos_from_date_time(TDateTime value)
{
    const CivilTime t = decode_date_time(value);
    if (t.year < 1980 || t.year > 2107)
        return 0;
    return (static_cast<std::uint32_t>(t.year - 1980) << 25) | (static_cast<std::uint32_t>(t.month) << 21)
        | (static_cast<std::uint32_t>(t.day) << 16) | (static_cast<std::uint32_t>(t.hour) << 11)
        | (static_cast<std::uint32_t>(t.minute) << 5) | static_cast<std::uint32_t>(t.second / 2);
}

std::uint32_t dos_from_unix_time(std::int64_t seconds)
{
    const std::time_t s = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&s, &local) == nullptr)
        return 0;
    return dos_from_date_time(encode_date_time({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                                local.tm_min, std::min(local.tm_sec, 59), 0}));
}

std::int8_t standard_zone_offset()
{
    tzset();
    // `timezone` is the standard offset in seconds west of UTC.
    return static_cast<std::int8_t>(-(timezone / 60) / 15);
}

std::string descriptor_date_text(TDateTime value)
{
    const CivilTime t = decode_date_time(value);
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d%d", t.year, t.month, t.day, t.hour, t.minute, t.second,
                  t.millisecond);
    std::string result(text);
    result.resize(16, ' ');
    return result;
}

} // namespace valmuri
