#include "EfdText.h"

namespace ciap::efd {

namespace {

Problem lineProblem(Rule rule, int line, QString message) {
    Problem p;
    p.rule = rule;
    p.line = line;
    p.message = std::move(message);
    return p;
}

} // namespace

EfdText::EfdText(QStringView text) {
    m_lines.reserve(text.size() / 48);
    m_fields.reserve(text.size() / 6);
    qsizetype start = 0;
    int number = 0;
    while (start < text.size()) {
        ++number;
        qsizetype end = text.indexOf(u'\n', start);
        const bool terminated = end >= 0;
        if (!terminated)
            end = text.size();
        const bool crlf = terminated && end > start && text[end - 1] == u'\r';
        addLine(number, text.sliced(start, end - start - (crlf ? 1 : 0)), crlf);
        start = end + 1;
    }
}

void EfdText::addLine(int number, QStringView content, bool crlf) {
    if (!crlf) {
        m_problems << lineProblem(Rule::LineFormat, number,
                                  QStringLiteral("a linha deve terminar com CR LF"));
    }
    if (content.contains(u'\r')) {
        m_problems << lineProblem(Rule::LineFormat, number,
                                  QStringLiteral("caractere CR no meio da linha"));
        return;
    }
    if (content.size() < 2 || content.front() != u'|' || content.back() != u'|') {
        m_problems << lineProblem(Rule::LineFormat, number,
                                  QStringLiteral("a linha deve começar e terminar com '|'"));
        return;
    }
    EfdLine line;
    line.number = number;
    line.first = m_fields.size();
    const QStringView inner = content.sliced(1, content.size() - 2);
    qsizetype from = 0;
    for (;;) {
        const qsizetype bar = inner.indexOf(u'|', from);
        m_fields << inner.sliced(from, (bar < 0 ? inner.size() : bar) - from);
        ++line.count;
        if (bar < 0)
            break;
        from = bar + 1;
    }
    line.reg = EfdLayout::find(m_fields[line.first]);
    if (!line.reg) {
        Problem p = lineProblem(Rule::UnknownRegister, number,
                                QStringLiteral("registro desconhecido ou fora deste arquivo"));
        p.reg = m_fields[line.first].toString();
        m_problems << p;
    }
    m_lines << line;
}

} // namespace ciap::efd
