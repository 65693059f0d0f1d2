#include "PackedRow.h"

#include "HostErrors.h"
#include "LocaleFormat.h"

#include <QDateTime>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

struct PackedRow::Data {
    std::int32_t refs;
    std::int32_t fields;
    std::uint32_t chars;
    std::uint32_t reserved;
    // followed by: null bitmap words, one slot per field, UTF-16 text

    static int bitmapWords(int fields) { return (fields + 63) / 64; }
    std::uint64_t* bitmap() { return reinterpret_cast<std::uint64_t*>(this + 1); }
    const std::uint64_t* bitmap() const { return reinterpret_cast<const std::uint64_t*>(this + 1); }
    std::uint64_t* slots() { return bitmap() + bitmapWords(fields); }
    const std::uint64_t* slots() const { return bitmap() + bitmapWords(fields); }
    char16_t* text() { return reinterpret_cast<char16_t*>(slots() + fields); }
    const char16_t* text() const { return reinterpret_cast<const char16_t*>(slots() + fields); }
    static std::size_t bytesFor(int fields, std::size_t chars) {
        return sizeof(Data) + sizeof(std::uint64_t) * (bitmapWords(fields) + fields) +
               sizeof(char16_t) * chars;
    }
};

PackedRow::PackedRow(const PackedRow& other)
    : m_data(other.m_data) {
    if (m_data)
        ++m_data->refs;
}

PackedRow::PackedRow(PackedRow&& other) noexcept
    : m_data(other.m_data) {
    other.m_data = nullptr;
}

PackedRow& PackedRow::operator=(const PackedRow& other) {
    if (other.m_data)
        ++other.m_data->refs;
    release();
    m_data = other.m_data;
    return *this;
}

PackedRow& PackedRow::operator=(PackedRow&& other) noexcept {
    if (this != &other) {
        release();
        m_data = other.m_data;
        other.m_data = nullptr;
    }
    return *this;
}

PackedRow::~PackedRow() {
    release();
}

void PackedRow::release() {
    if (m_data && --m_data->refs == 0)
        ::operator delete(m_data);
    m_data = nullptr;
}

namespace {

const QString* stringIn(const QVariant& value) {
    return value.metaType().id() == QMetaType::QString
               ? static_cast<const QString*>(value.constData())
               : nullptr;
}

[[noreturn]] void throwInvalid(const QString& text) {
    throw EHostError(QStringLiteral("'%1' não é um valor válido.").arg(text));
}

bool isNumber(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

QVariant toFloat(const QVariant& value) {
    if (isNumber(value)) {
        const double number = value.toDouble();
        if (!std::isfinite(number))
            throwInvalid(value.toString());
        return number;
    }
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool() ? 1.0 : 0.0;
    const QString text = value.toString();
    if (text.trimmed().isEmpty())
        return {};
    double number = 0;
    if (!tryStrToFloat(text, &number))
        throwInvalid(text);
    return number;
}

QVariant toDate(const QVariant& value) {
    const int type = value.metaType().id();
    if (type == QMetaType::QDate) {
        const QDate date = value.toDate();
        return date.isValid() ? QVariant(date) : QVariant();
    }
    if (type == QMetaType::QDateTime) {
        const QDate date = value.toDateTime().date();
        return date.isValid() ? QVariant(date) : QVariant();
    }
    const QString text = value.toString();
    if (text.trimmed().isEmpty())
        return {};
    QDate date = strToDate(text.trimmed());
    if (!date.isValid())
        date = QDate::fromString(text.trimmed(), Qt::ISODate);
    if (!date.isValid())
        throwInvalid(text);
    return date;
}

QString toText(const QVariant& value) {
    if (const QString* s = stringIn(value))
        return *s;
    const int type = value.metaType().id();
    if (type == QMetaType::Double || type == QMetaType::Float)
        return floatToStr(value.toDouble());
    if (type == QMetaType::QDate)
        return dateToStr(value.toDate());
    if (type == QMetaType::QDateTime)
        return dateToStr(value.toDateTime().date());
    return value.toString();
}

} // namespace

QVariant PackedRow::coerce(const ciap::FieldDef& def, const QVariant& value) {
    if (!value.isValid() || value.metaType().id() == QMetaType::Nullptr)
        return {};
    switch (def.type) {
    case ciap::FieldType::String: {
        if (const QString* s = stringIn(value); s && (def.size <= 0 || s->size() <= def.size))
            return value;
        QString text = toText(value);
        if (def.size > 0 && text.size() > def.size)
            text.truncate(def.size);
        return text;
    }
    case ciap::FieldType::Float:
        if (value.metaType().id() == QMetaType::Double && std::isfinite(value.toDouble()))
            return value;
        return toFloat(value);
    case ciap::FieldType::DateTime:
        return toDate(value);
    }
    return {};
}

PackedRow PackedRow::pack(Defs defs, const QVariantList& values) {
    std::vector<const QVariant*> pointers(defs.size(), nullptr);
    for (std::size_t i = 0; i < defs.size() && qsizetype(i) < values.size(); ++i)
        pointers[i] = &values[qsizetype(i)];
    return pack(defs, pointers);
}

bool PackedRow::isStoredForm(const ciap::FieldDef& def, const QVariant& value) {
    switch (def.type) {
    case ciap::FieldType::String:
        if (const QString* s = stringIn(value))
            return def.size <= 0 || s->size() <= def.size;
        return false;
    case ciap::FieldType::Float:
        return value.metaType().id() == QMetaType::Double &&
               std::isfinite(*static_cast<const double*>(value.constData()));
    case ciap::FieldType::DateTime:
        return value.metaType().id() == QMetaType::QDate &&
               static_cast<const QDate*>(value.constData())->isValid();
    }
    return false;
}

PackedRow PackedRow::pack(Defs defs, std::span<const QVariant* const> values) {
    const int fields = int(defs.size());
    auto at = [&](int i) -> const QVariant* {
        const QVariant* v = i < int(values.size()) ? values[std::size_t(i)] : nullptr;
        return v && v->isValid() ? v : nullptr;
    };
    std::size_t chars = 0;
    for (int i = 0; i < fields; ++i)
        if (defs[std::size_t(i)].type == ciap::FieldType::String)
            if (const QVariant* v = at(i))
                if (const QString* s = stringIn(*v))
                    chars += std::size_t(s->size());

    void* memory = ::operator new(Data::bytesFor(fields, chars));
    auto* data = new (memory) Data{1, fields, std::uint32_t(chars), 0};
    std::memset(data->bitmap(), 0,
                sizeof(std::uint64_t) * (Data::bitmapWords(fields) + std::size_t(fields)));

    std::uint32_t offset = 0;
    for (int i = 0; i < fields; ++i) {
        const QVariant* value = at(i);
        if (!value)
            continue;
        bool present = true;
        std::uint64_t slot = 0;
        switch (defs[std::size_t(i)].type) {
        case ciap::FieldType::String:
            if (const QString* s = stringIn(*value)) {
                const auto length = std::uint32_t(s->size());
                std::memcpy(data->text() + offset, s->utf16(), length * sizeof(char16_t));
                slot = offset | (std::uint64_t(length) << 32);
                offset += length;
            } else {
                present = false;
            }
            break;
        case ciap::FieldType::Float: {
            const double number = value->toDouble();
            std::memcpy(&slot, &number, sizeof number);
            break;
        }
        case ciap::FieldType::DateTime: {
            const QDate date = value->toDate();
            slot = std::uint64_t(date.toJulianDay());
            present = date.isValid();
            break;
        }
        }
        data->slots()[i] = slot;
        if (present)
            data->bitmap()[i / 64] |= std::uint64_t(1) << (i % 64);
    }
    return PackedRow(data);
}

std::vector<PackedRow> PackedRow::packRows(Defs defs, const std::vector<int>& columns,
                                           QList<QVariantList>&& rows) {
    std::vector<PackedRow> packed;
    packed.reserve(std::size_t(rows.size()));
    std::vector<const QVariant*> values(defs.size());
    std::vector<QVariant> converted(defs.size());
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QVariantList& source = std::as_const(rows)[r];
        for (std::size_t i = 0; i < values.size(); ++i) {
            const int c = i < columns.size() ? columns[i] : -1;
            const QVariant* value = c >= 0 && c < source.size() ? &source.at(c) : nullptr;
            if (value && value->isValid() && !isStoredForm(defs[i], *value)) {
                converted[i] = coerce(defs[i], *value);
                value = &converted[i];
            }
            values[i] = value;
        }
        packed.push_back(pack(defs, values));
    }
    // Freed in one go at the end: freeing each row as soon as it was packed measured twice
    // as slow, and fragmented the heap so that the process kept twice the memory.
    rows.clear();
    return packed;
}

PackedRow::CellPacker::CellPacker(Defs defs)
    : m_defs(defs)
    , m_spans(defs.size())
    , m_decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless) {}

PackedRow PackedRow::CellPacker::pack(std::span<const ciap::PacketCell> cells) {
    using Kind = ciap::PacketCell::Kind;
    const int fields = int(m_defs.size());
    // The texts first: their UTF-16 lengths size the row. UTF-8 never takes more UTF-16 units
    // than it has bytes.
    std::size_t room = 0;
    for (const ciap::PacketCell& cell : cells)
        room += cell.kind == Kind::Text       ? cell.utf8.size()
                : cell.kind == Kind::WideText ? std::size_t(cell.utf16.size())
                                              : 0;
    if (m_text.size() < room)
        m_text.resize(room);
    std::size_t chars = 0;
    for (int i = 0; i < fields; ++i) {
        const ciap::PacketCell& cell = cells[std::size_t(i)];
        if (cell.kind != Kind::Text && cell.kind != Kind::WideText)
            continue;
        char16_t* const out = m_text.data() + chars;
        std::size_t length = 0;
        if (cell.kind == Kind::WideText) {
            length = std::size_t(cell.utf16.size());
            std::memcpy(out, cell.utf16.utf16(), length * sizeof(char16_t));
        } else {
            const auto* bytes = reinterpret_cast<const uchar*>(cell.utf8.data());
            uchar high = 0;
            for (std::size_t k = 0; k < cell.utf8.size(); ++k)
                high |= bytes[k];
            if (high < 0x80) {
                for (std::size_t k = 0; k < cell.utf8.size(); ++k)
                    out[k] = bytes[k];
                length = cell.utf8.size();
            } else {
                const QChar* end = m_decoder.appendToBuffer(
                    reinterpret_cast<QChar*>(out),
                    QByteArrayView(cell.utf8.data(), qsizetype(cell.utf8.size())));
                length = std::size_t(reinterpret_cast<const char16_t*>(end) - out);
            }
        }
        const int size = m_defs[std::size_t(i)].size;
        if (size > 0 && length > std::size_t(size))
            length = std::size_t(size);
        m_spans[std::size_t(i)] = chars | (std::uint64_t(length) << 32);
        chars += length;
    }

    void* memory = ::operator new(Data::bytesFor(fields, chars));
    auto* data = new (memory) Data{1, fields, std::uint32_t(chars), 0};
    std::memset(data->bitmap(), 0,
                sizeof(std::uint64_t) * (Data::bitmapWords(fields) + std::size_t(fields)));
    std::uint32_t offset = 0;
    for (int i = 0; i < fields; ++i) {
        const ciap::PacketCell& cell = cells[std::size_t(i)];
        std::uint64_t slot = 0;
        switch (cell.kind) {
        case Kind::Null:
            continue;
        case Kind::Text:
        case Kind::WideText: {
            const std::uint64_t span = m_spans[std::size_t(i)];
            const auto length = std::uint32_t(span >> 32);
            std::memcpy(data->text() + offset, m_text.data() + std::uint32_t(span),
                        length * sizeof(char16_t));
            slot = offset | (std::uint64_t(length) << 32);
            offset += length;
            break;
        }
        case Kind::Number:
            std::memcpy(&slot, &cell.number, sizeof cell.number);
            break;
        case Kind::Date:
            slot = std::uint64_t(cell.julianDay);
            break;
        }
        data->slots()[i] = slot;
        data->bitmap()[i / 64] |= std::uint64_t(1) << (i % 64);
    }
    return PackedRow(data);
}

int PackedRow::fieldCount() const {
    return m_data ? m_data->fields : 0;
}

const std::uint64_t* PackedRow::slot(int field) const {
    return m_data->slots() + field;
}

bool PackedRow::isNull(int field) const {
    if (!m_data || field < 0 || field >= m_data->fields)
        return true;
    return !(m_data->bitmap()[field / 64] & (std::uint64_t(1) << (field % 64)));
}

QStringView PackedRow::stringAt(int field) const {
    if (isNull(field))
        return {};
    const std::uint64_t s = *slot(field);
    return QStringView(m_data->text() + std::uint32_t(s), qsizetype(s >> 32));
}

double PackedRow::floatAt(int field) const {
    if (isNull(field))
        return 0;
    double number;
    std::memcpy(&number, slot(field), sizeof number);
    return number;
}

std::int64_t PackedRow::dayAt(int field) const {
    return isNull(field) ? 0 : std::int64_t(*slot(field));
}

QVariant PackedRow::value(Defs defs, int field) const {
    if (isNull(field) || field >= int(defs.size()))
        return {};
    switch (defs[field].type) {
    case ciap::FieldType::String:
        return stringAt(field).toString();
    case ciap::FieldType::Float:
        return floatAt(field);
    case ciap::FieldType::DateTime:
        return QDate::fromJulianDay(dayAt(field));
    }
    return {};
}

QVariantList PackedRow::values(Defs defs) const {
    QVariantList out;
    out.reserve(qsizetype(defs.size()));
    for (int i = 0; i < int(defs.size()); ++i)
        out.append(value(defs, i));
    return out;
}

std::size_t PackedRow::byteSize() const {
    return m_data ? Data::bytesFor(m_data->fields, m_data->chars) : 0;
}
