#include "store/ledger/postgres/PgDb.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ml::ledger {

namespace {

// The server's notices (e.g. "already exists, skipping") are not for the user.
void IgnoreNotice(void*, const char*) {}

std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

uint64_t BigEndian(const char* bytes, int size) {
    uint64_t value = 0;
    for (int i = 0; i < size; ++i) value = (value << 8) | static_cast<uint8_t>(bytes[i]);
    return value;
}

}  // namespace

PgDb::PgDb() = default;

PgDb::~PgDb() {
    statements_.clear();
    if (conn_ != nullptr) PQfinish(conn_);
}

Status PgDb::Open(const std::string& url) {
    location_ = url;
    // The URL's own settings win over these defaults (expand_dbname).
    const char* keys[] = {"connect_timeout", "application_name", "client_encoding", "dbname", nullptr};
    const char* values[] = {"10", "mileledger", "UTF8", url.c_str(), nullptr};
    conn_ = PQconnectdbParams(keys, values, 1);
    if (conn_ == nullptr) return Status::Failed(location_ + ": 연결할 수 없습니다: 메모리가 부족합니다");
    if (PQstatus(conn_) != CONNECTION_OK) {
        return Status::Failed(location_ + ": 연결할 수 없습니다: " + OneLine(PQerrorMessage(conn_)));
    }
    PQsetNoticeProcessor(conn_, IgnoreNotice, nullptr);
    return Status::Ok();
}

void PgDb::Reconnect() {
    statements_.clear();
    PQreset(conn_);
    if (PQstatus(conn_) == CONNECTION_OK) PQsetNoticeProcessor(conn_, IgnoreNotice, nullptr);
}

Status PgDb::Exec(const std::string& sql) {
    PGresult* result = PQexec(conn_, sql.c_str());
    const ExecStatusType state = PQresultStatus(result);
    Status status = state == PGRES_COMMAND_OK || state == PGRES_TUPLES_OK ? Status::Ok() : Error(result, "실행");
    PQclear(result);
    return status;
}

Status PgDb::QueryText(const std::string& sql, std::string& value, bool& found) {
    PGresult* result = PQexec(conn_, sql.c_str());
    Status status = PQresultStatus(result) == PGRES_TUPLES_OK ? Status::Ok() : Error(result, "조회");
    found = status.ok() && PQntuples(result) > 0 && PQnfields(result) > 0 && !PQgetisnull(result, 0, 0);
    value = found ? std::string(PQgetvalue(result, 0, 0), static_cast<size_t>(PQgetlength(result, 0, 0))) : "";
    PQclear(result);
    return status;
}

Status PgDb::Error(const PGresult* result, std::string_view what) const {
    const char* state = result != nullptr ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char* primary = result != nullptr ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    std::string message = location_ + ": " + std::string(what) + ": ";
    message += OneLine(primary != nullptr ? primary : PQerrorMessage(conn_));
    const std::string code = state != nullptr ? state : "";
    if (code == "40001" || code == "40P01" || code == "23505" || code == "55P03") return Status::Conflict(message);
    if (code == "42501") {
        return Status::Invalid(location_ + ": 권한이 없습니다: " + OneLine(primary != nullptr ? primary : ""));
    }
    return Status::Failed(message);
}

std::string PgDb::Identifier(std::string_view name) const {
    char* quoted = PQescapeIdentifier(conn_, name.data(), name.size());
    if (quoted == nullptr) return "\"\"";
    std::string out = quoted;
    PQfreemem(quoted);
    return out;
}

Status PgDb::Use(int key, const char* sql, SqlStatement*& statement) {
    auto& slot = statements_[key];
    if (!slot) {
        auto fresh = std::make_unique<PgStatement>(*this, key, sql);
        ML_LEDGER_TRY(fresh->Prepare());
        slot = std::move(fresh);
    } else {
        slot->Reset();
    }
    statement = slot.get();
    return Status::Ok();
}

PgStatement::PgStatement(PgDb& db, int key, const char* sql) : db_(db), name_("s" + std::to_string(key)) {
    // ?N -> $M, numbered by first appearance; indexes the text never uses
    // are bound and dropped.
    for (const char* p = sql; *p != '\0';) {
        if (*p != '?' || std::isdigit(static_cast<unsigned char>(p[1])) == 0) {
            sql_ += *p++;
            continue;
        }
        char* end = nullptr;
        const long index = std::strtol(p + 1, &end, 10);
        p = end;
        if (index < 1 || index > 1000) continue;
        if (slotOf_.size() <= static_cast<size_t>(index)) slotOf_.resize(static_cast<size_t>(index) + 1, -1);
        int& slot = slotOf_[static_cast<size_t>(index)];
        if (slot < 0) {
            slot = static_cast<int>(values_.size());
            values_.emplace_back();
            formats_.push_back(0);
        }
        sql_ += "$" + std::to_string(slot + 1);
    }
}

PgStatement::~PgStatement() { Clear(); }

Status PgStatement::Prepare() {
    PGresult* result = PQprepare(db_.conn_, name_.c_str(), sql_.c_str(), static_cast<int>(values_.size()), nullptr);
    Status status = PQresultStatus(result) == PGRES_COMMAND_OK ? Status::Ok() : db_.Error(result, "문장 준비");
    PQclear(result);
    return status;
}

void PgStatement::Clear() {
    if (result_ != nullptr) PQclear(result_);
    result_ = nullptr;
    row_ = -1;
}

void PgStatement::Reset() {
    Clear();
    for (std::string& v : values_) v.clear();
    for (int& f : formats_) f = 0;
}

void PgStatement::Set(int index, std::string value, bool binary) {
    if (index < 0 || static_cast<size_t>(index) >= slotOf_.size() || slotOf_[static_cast<size_t>(index)] < 0) return;
    const auto slot = static_cast<size_t>(slotOf_[static_cast<size_t>(index)]);
    values_[slot] = std::move(value);
    formats_[slot] = binary ? 1 : 0;
}

void PgStatement::Bind(int index, int64_t value) { Set(index, std::to_string(value), false); }
void PgStatement::Bind(int index, double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    Set(index, text, false);
}
void PgStatement::Bind(int index, std::string_view text) { Set(index, std::string(text), false); }
void PgStatement::Bind(int index, std::span<const uint8_t> blob) {
    Set(index, std::string(blob.begin(), blob.end()), true);
}

bool PgStatement::Step(Status& status) {
    if (result_ == nullptr) {
        std::vector<const char*> values;
        std::vector<int> lengths;
        for (const std::string& v : values_) {
            values.push_back(v.data());
            lengths.push_back(static_cast<int>(v.size()));
        }
        result_ = PQexecPrepared(db_.conn_, name_.c_str(), static_cast<int>(values.size()), values.data(),
                                 lengths.data(), formats_.data(), 1);
        const ExecStatusType state = PQresultStatus(result_);
        if (state != PGRES_TUPLES_OK && state != PGRES_COMMAND_OK) {
            status = db_.Error(result_, "실행");
            Clear();
            return false;
        }
        db_.changes_ = std::strtoll(PQcmdTuples(result_), nullptr, 10);
    }
    return ++row_ < PQntuples(result_);
}

int64_t PgStatement::Int(int column) const {
    if (result_ == nullptr || column >= PQnfields(result_) || PQgetisnull(result_, row_, column)) return 0;
    const int size = PQgetlength(result_, row_, column);
    const uint64_t bits = BigEndian(PQgetvalue(result_, row_, column), size);
    switch (size) {
        case 8: return static_cast<int64_t>(bits);
        case 4: return static_cast<int32_t>(bits);
        case 2: return static_cast<int16_t>(bits);
        case 1: return static_cast<int8_t>(bits);
        default: return 0;
    }
}

double PgStatement::Real(int column) const {
    if (result_ == nullptr || column >= PQnfields(result_) || PQgetisnull(result_, row_, column)) return 0;
    const int size = PQgetlength(result_, row_, column);
    const uint64_t bits = BigEndian(PQgetvalue(result_, row_, column), size);
    if (size == 8) {
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    if (size == 4) {
        const auto narrow = static_cast<uint32_t>(bits);
        float value = 0;
        std::memcpy(&value, &narrow, sizeof value);
        return value;
    }
    return 0;
}

std::string PgStatement::Text(int column) const {
    if (result_ == nullptr || column >= PQnfields(result_)) return {};
    return std::string(PQgetvalue(result_, row_, column), static_cast<size_t>(PQgetlength(result_, row_, column)));
}

std::vector<uint8_t> PgStatement::Blob(int column) const {
    const std::string bytes = Text(column);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace ml::ledger
