// The floor for bench_process: the work of "open the race, Rezultati, 15
// standings" as a bare program does it, over SQLite's C interface and the
// C library alone, without Qt: read the race from the file, join each finish
// to its runner, rank and write out the same 15 standings (overall, men,
// women, each by all and four age categories).
//
//   floor_standings FILE RACE

#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct Runner {
    std::string number;
    std::string name;
    std::string club;
    bool man = false;
    int born = 0; // yyyymmdd
};

struct Finish {
    const Runner* runner;
    std::string time;
    long long id;
};

std::string column(sqlite3_stmt* s, int i)
{
    const unsigned char* text = sqlite3_column_text(s, i);
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

int dateNumber(const std::string& iso)
{
    int y = 0, m = 0, d = 0;
    std::sscanf(iso.c_str(), "%d-%d-%d", &y, &m, &d);
    return y * 10000 + m * 100 + d;
}

// The age categories of the standings: up to 18, 19-24, 25-29, 30-34.
int categoryOf(int born, int raceDay)
{
    const int age = (raceDay - born) / 10000;
    if (age <= 18)
        return 0;
    if (age <= 24)
        return 1;
    if (age <= 29)
        return 2;
    if (age <= 34)
        return 3;
    return 4;
}

int runFloor(const char* path, long long raceId)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return 1;
    sqlite3_stmt* s = nullptr;
    int raceDay = 0;
    sqlite3_prepare_v2(db, "select datum from utrke where id = ?", -1, &s, nullptr);
    sqlite3_bind_int64(s, 1, raceId);
    if (sqlite3_step(s) == SQLITE_ROW)
        raceDay = dateNumber(column(s, 0));
    sqlite3_finalize(s);

    std::unordered_map<long long, Runner> runners;
    sqlite3_prepare_v2(db, "select id, sbroj, ime, klub, spol, datum from startna where idutrke = ?", -1, &s, nullptr);
    sqlite3_bind_int64(s, 1, raceId);
    while (sqlite3_step(s) == SQLITE_ROW) {
        Runner& r = runners[sqlite3_column_int64(s, 0)];
        r.number = column(s, 1);
        r.name = column(s, 2);
        r.club = column(s, 3);
        r.man = column(s, 4) == "M";
        r.born = dateNumber(column(s, 5));
    }
    sqlite3_finalize(s);

    std::vector<Finish> finishes;
    sqlite3_prepare_v2(db, "select id, idtakmicara, vrijeme from rezultati where idutrke = ? order by vrijeme, id", -1,
                       &s, nullptr);
    sqlite3_bind_int64(s, 1, raceId);
    while (sqlite3_step(s) == SQLITE_ROW) {
        const auto found = runners.find(sqlite3_column_int64(s, 1));
        if (found != runners.end())
            finishes.push_back({&found->second, column(s, 2), sqlite3_column_int64(s, 0)});
    }
    sqlite3_finalize(s);
    sqlite3_close(db);

    // The first five overall win the overall prizes and leave the
    // category standings.
    FILE* out = std::fopen("/dev/null", "w");
    for (int sex = 0; sex < 3; ++sex) {
        for (int category = -1; category < 4; ++category) {
            int place = 0;
            for (size_t i = 0; i < finishes.size(); ++i) {
                const Runner& r = *finishes[i].runner;
                if ((sex == 1 && !r.man) || (sex == 2 && r.man))
                    continue;
                if (category >= 0 && (i < 5 || categoryOf(r.born, raceDay) != category))
                    continue;
                ++place;
                std::fprintf(out, "%d\t%s\t%s\t%s\t%s\n", place, r.number.c_str(), r.name.c_str(), r.club.c_str(),
                             finishes[i].time.c_str());
            }
        }
    }
    std::fclose(out);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    return runFloor(argv[1], std::atoll(argv[2]));
}
