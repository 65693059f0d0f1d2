#include "Documents.h"

namespace ciap::documents {

QString Party::id() const {
    if (!cnpj.isEmpty())
        return cnpj;
    return cpf.isEmpty() ? foreignId : cpf;
}

} // namespace ciap::documents
