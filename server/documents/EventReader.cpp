#include "FieldReading.h"
#include "Readers.h"

namespace ciap::documents::detail {

namespace {

constexpr int cancellationEvent = 110111;

} // namespace

NfeCancellation readNfeCancellation(const Element& procEvento) {
    const Element info = required(required(procEvento, u"evento"), u"infEvento");
    NfeCancellation event;
    // The event type first: a correction letter or a recipient's acknowledgement is refused as
    // unsupported, whatever else it holds.
    event.eventType = int(requiredInt(info, u"tpEvento", 6));
    if (event.eventType != cancellationEvent)
        refuse(Refusal::UnsupportedEvent,
               QStringLiteral("Evento %1 da NF-e não suportado; só o cancelamento (110111) é "
                              "lido.")
                   .arg(event.eventType),
               info);
    const QString version = procEvento.attribute(u"versao");
    if (version != u"1.00")
        refuse(Refusal::UnsupportedVersion,
               QStringLiteral("Evento na versão \"%1\" do leiaute; só a versão 1.00 é lida.")
                   .arg(version),
               procEvento);

    event.authority = int(requiredInt(info, u"cOrgao", 2));
    event.environment = requiredCode(info, u"tpAmb", {1, 2});
    event.authorCnpj = optionalText(info, u"CNPJ");
    event.authorCpf = optionalText(info, u"CPF");
    event.nfeKey = keyOf(required(info, u"chNFe"));
    event.eventAt = requiredDateTime(info, u"dhEvento");
    event.sequence = int(requiredInt(info, u"nSeqEvento", 2));
    const Element detail = required(info, u"detEvento");
    event.invoiceProtocol = requiredText(detail, u"nProt");
    event.justification = optionalText(detail, u"xJust");

    const QString id = info.attribute(u"Id");
    if (id.isEmpty())
        refuse(Refusal::MissingElement,
               QStringLiteral("O atributo Id de %1 está ausente.").arg(info.path()), info);
    const QString expectedId = QStringLiteral("ID%1%2%3")
                                   .arg(event.eventType)
                                   .arg(event.nfeKey.toString())
                                   .arg(event.sequence, 2, 10, QChar(u'0'));
    if (id != expectedId)
        refuse(Refusal::KeyMismatch,
               QStringLiteral("O Id \"%1\" do evento não corresponde ao tipo, à chave e à "
                              "sequência informados (%2).")
                   .arg(id, expectedId),
               info);
    refuseTestEnvironment(event.environment, info,
                          QStringLiteral("O cancelamento da NF-e %1").arg(event.nfeKey.toString()));

    const Element answer = procEvento.child(u"retEvento").child(u"infEvento");
    if (answer.isNull())
        refuse(Refusal::NotAuthorised,
               QStringLiteral("O cancelamento da NF-e %1 não tem o registro do evento "
                              "(retEvento).")
                   .arg(event.nfeKey.toString()),
               procEvento);
    event.registration = readAuthorisation(answer, u"chNFe");
    if (!event.registration.key.isNull() && event.registration.key != event.nfeKey)
        refuse(Refusal::KeyMismatch,
               QStringLiteral("O registro do evento é da chave %1, não da NF-e %2.")
                   .arg(event.registration.key.toString(), event.nfeKey.toString()),
               answer);
    refuseTestEnvironment(
        event.registration.environment, answer,
        QStringLiteral("O registro do cancelamento da NF-e %1").arg(event.nfeKey.toString()));
    // 135 registered and linked to the NF-e, 136 registered without the link, 155 accepted
    // out of time; any other status means the cancellation did not happen.
    const int status = event.registration.status;
    if (status != 135 && status != 136 && status != 155)
        refuse(Refusal::NotAuthorised,
               QStringLiteral("O cancelamento da NF-e %1 não foi registrado: situação %2 (%3).")
                   .arg(event.nfeKey.toString())
                   .arg(status)
                   .arg(event.registration.reason),
               answer);
    return event;
}

} // namespace ciap::documents::detail
