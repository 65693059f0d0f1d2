#!/usr/bin/env python3
"""Writes the demo's documents: the NF-e, CT-e and cancellation events that `ciap-server --demo`
imports into an empty database (server/DemoData.cpp), and documents.qrc listing them.

Every document is dated as if the current month were REFERENCE (January 2024); the server moves
each date and access key by the months between it and today, so the demo always looks current.
Imported as they are (ciap-admin import server/demo/documents), they give the demo of January
2024. The figures repeat the earlier hand-written demo: company 01 with two registrations and
45 assets, two years of outgoing invoices; company 02 holds the worked example of
docs/ciap-rules.md (January 2024).

Run it from anywhere; it rewrites server/demo/documents/ and server/demo/documents.qrc.
"""
import os
import re
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "documents")
REFERENCE = (2024, 1)


def check_digit(body, max_weight=9):
    total, weight = 0, 2
    for ch in reversed(body):
        total += (ord(ch) - 48) * weight
        weight = 2 if weight == max_weight else weight + 1
    rest = total % 11
    return 0 if rest < 2 else 11 - rest


def cnpj(root):
    body = root
    body += str(check_digit(body))
    body += str(check_digit(body))
    return body


def add_months(year, month, delta):
    index = year * 12 + month - 1 + delta
    return index // 12, index % 12 + 1


def month_of(months_ago):
    return add_months(REFERENCE[0], REFERENCE[1], -months_ago)


def stamp(year, month, day, time="09:00:00"):
    return f"{year:04d}-{month:02d}-{day:02d}T{time}-03:00"


def money(cents):
    return f"{cents // 100}.{cents % 100:02d}"


def slug(text):
    plain = unicodedata.normalize("NFD", text).encode("ascii", "ignore").decode()
    return re.sub(r"[^a-z0-9]+", "-", plain.lower()).strip("-")


class Lcg:
    """The demo's deterministic generator, as the server's earlier demo drew it."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 1664525 + 1013904223) % (1 << 32)
        return self.state >> 8


# Parties. The company's establishments are the recipients of its purchases and the issuers of
# its outgoing invoices.
def party(cnpj_, ie, name, street, number, district, mun, city, uf, cep):
    return dict(cnpj=cnpj_, ie=ie, name=name, street=street, number=number, district=district,
                mun=mun, city=city, uf=uf, cep=cep)


REG_A = party(cnpj("112223330001"), "110042490114", "INDÚSTRIA DEMONSTRAÇÃO LTDA",
              "Avenida das Nações", "1000", "Vila Industrial", "3550308", "São Paulo", "SP",
              "04795000")
REG_B = party(cnpj("112223330002"), "110042490122", "INDÚSTRIA DEMONSTRAÇÃO LTDA",
              "Rodovia Anhanguera", "Km 98", "Distrito Industrial", "3509502", "Campinas", "SP",
              "13065000")
COMPANY_2 = party(cnpj("445556660001"), "207165890119", "COMÉRCIO EXEMPLO S.A.",
                  "Rua do Comércio", "250", "Centro", "3548500", "Santos", "SP", "11010000")
SUPPLIER_SP = party(cnpj("223334440001"), "111222333119", "Máquinas Paulistas Ltda",
                    "Rua dos Torneiros", "77", "Mooca", "3550308", "São Paulo", "SP", "03101000")
SUPPLIER_MG = party(cnpj("334445550001"), "0623456780081", "Equipamentos Mineiros S.A.",
                    "Avenida Amazonas", "7000", "Gameleira", "3106200", "Belo Horizonte", "MG",
                    "30510000")
CARRIER = party(cnpj("556667770001"), "1861234560095", "Transportes Modelo Ltda",
                "Rodovia BR-381", "S/N", "Cinco", "3118601", "Contagem", "MG", "32010000")
CUSTOMER_SP = party(cnpj("667778880001"), "110987654113", "Comércio Amostra Ltda",
                    "Rua Sete de Setembro", "45", "Centro", "3550308", "São Paulo", "SP",
                    "01010000")
CUSTOMER_RJ = party(cnpj("778889990001"), "81234567", "Distribuidora Fluminense Ltda",
                    "Avenida Brasil", "5000", "Bonsucesso", "3304557", "Rio de Janeiro", "RJ",
                    "21040000")
UF_CODE = {"SP": 35, "MG": 31, "RJ": 33}


def access_key(uf, year, month, issuer, model, series, number, code):
    body = f"{UF_CODE[uf]:02d}{year % 100:02d}{month:02d}{issuer}{model:02d}{series:03d}" \
           f"{number:09d}1{code:08d}"
    return body + str(check_digit(body))


def address(tag, p, country=True):
    out = (f"<{tag}><xLgr>{p['street']}</xLgr><nro>{p['number']}</nro>"
           f"<xBairro>{p['district']}</xBairro><cMun>{p['mun']}</cMun><xMun>{p['city']}</xMun>"
           f"<UF>{p['uf']}</UF><CEP>{p['cep']}</CEP>")
    if country:
        out += "<cPais>1058</cPais><xPais>Brasil</xPais>"
    return out + f"</{tag}>"


FOREIGN_BUYER = ("<dest><idEstrangeiro>US-4711</idEstrangeiro><xNome>Industrial Buyer Inc"
                 "</xNome><enderDest><xLgr>Main Street</xLgr><nro>1</nro><xBairro>Downtown"
                 "</xBairro><cMun>9999999</cMun><xMun>EXTERIOR</xMun><UF>EX</UF><cPais>2496"
                 "</cPais><xPais>Estados Unidos</xPais></enderDest><indIEDest>9</indIEDest>"
                 "</dest>")


def icms_group(cst, value, icms, st=0, rate=18):
    if cst == "00":
        return (f"<ICMS00><orig>0</orig><CST>00</CST><modBC>3</modBC><vBC>{money(value)}</vBC>"
                f"<pICMS>{rate}.00</pICMS><vICMS>{money(icms)}</vICMS></ICMS00>")
    if cst == "10":
        return (f"<ICMS10><orig>0</orig><CST>10</CST><modBC>3</modBC><vBC>{money(value)}</vBC>"
                f"<pICMS>{rate}.00</pICMS><vICMS>{money(icms)}</vICMS><modBCST>4</modBCST>"
                f"<vBCST>{money(value)}</vBCST><pICMSST>18.00</pICMSST>"
                f"<vICMSST>{money(st)}</vICMSST></ICMS10>")
    if cst == "20":
        return (f"<ICMS20><orig>0</orig><CST>20</CST><modBC>3</modBC><pRedBC>33.33</pRedBC>"
                f"<vBC>{money(value)}</vBC><pICMS>{rate}.00</pICMS><vICMS>{money(icms)}</vICMS>"
                f"</ICMS20>")
    if cst == "60":
        return "<ICMS60><orig>0</orig><CST>60</CST></ICMS60>"
    return f"<ICMS40><orig>0</orig><CST>{cst}</CST></ICMS40>"


def nfe(key, issuer, recipient_xml, when, number, nature, id_dest, items, direction=1, info=""):
    """items: dicts with code, name, ncm, cfop, value, cst, icms, st, rate, extra."""
    year, month, day = when
    dets, tot_bc, tot_icms, tot_st, tot_prod = [], 0, 0, 0, 0
    for n, it in enumerate(items, 1):
        value, icms, st = it["value"], it.get("icms", 0), it.get("st", 0)
        tot_prod += value
        tot_st += st
        if icms:
            tot_bc += value
            tot_icms += icms
        extra = f"<infAdProd>{it['extra']}</infAdProd>" if it.get("extra") else ""
        dets.append(
            f"<det nItem=\"{n}\"><prod><cProd>{it['code']}</cProd><cEAN>SEM GTIN</cEAN>"
            f"<xProd>{it['name']}</xProd><NCM>{it.get('ncm', '84799090')}</NCM>"
            f"<CFOP>{it['cfop']}</CFOP><uCom>UN</uCom><qCom>1.0000</qCom>"
            f"<vUnCom>{money(value)}</vUnCom><vProd>{money(value)}</vProd>"
            f"<cEANTrib>SEM GTIN</cEANTrib><uTrib>UN</uTrib><qTrib>1.0000</qTrib>"
            f"<vUnTrib>{money(value)}</vUnTrib><indTot>1</indTot></prod><imposto><ICMS>"
            f"{icms_group(it['cst'], value, icms, st, it.get('rate', 18))}</ICMS>"
            f"<PIS><PISNT><CST>07</CST></PISNT></PIS><COFINS><COFINSNT><CST>07</CST></COFINSNT>"
            f"</COFINS></imposto>{extra}</det>")
    total = tot_prod + tot_st
    info_xml = f"<infAdic><infCpl>{info}</infCpl></infAdic>" if info else ""
    return (
        f"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        f"<nfeProc xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"4.00\">"
        f"<NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\">"
        f"<infNFe versao=\"4.00\" Id=\"NFe{key}\"><ide><cUF>{key[:2]}</cUF>"
        f"<cNF>{key[35:43]}</cNF><natOp>{nature}</natOp><mod>55</mod>"
        f"<serie>{int(key[22:25])}</serie><nNF>{number}</nNF>"
        f"<dhEmi>{stamp(year, month, day)}</dhEmi><tpNF>{direction}</tpNF>"
        f"<idDest>{id_dest}</idDest><cMunFG>{issuer['mun']}</cMunFG><tpImp>1</tpImp>"
        f"<tpEmis>1</tpEmis><cDV>{key[-1]}</cDV><tpAmb>1</tpAmb><finNFe>1</finNFe>"
        f"<indFinal>0</indFinal><indPres>9</indPres><procEmi>0</procEmi>"
        f"<verProc>Demo 1.0</verProc></ide>"
        f"<emit><CNPJ>{issuer['cnpj']}</CNPJ><xNome>{issuer['name']}</xNome>"
        f"{address('enderEmit', issuer)}<IE>{issuer['ie']}</IE><CRT>3</CRT></emit>"
        f"{recipient_xml}{''.join(dets)}"
        f"<total><ICMSTot><vBC>{money(tot_bc)}</vBC><vICMS>{money(tot_icms)}</vICMS>"
        f"<vICMSDeson>0.00</vICMSDeson><vFCP>0.00</vFCP><vBCST>{money(tot_bc if tot_st else 0)}"
        f"</vBCST><vST>{money(tot_st)}</vST><vFCPST>0.00</vFCPST><vFCPSTRet>0.00</vFCPSTRet>"
        f"<vProd>{money(tot_prod)}</vProd><vFrete>0.00</vFrete><vSeg>0.00</vSeg>"
        f"<vDesc>0.00</vDesc><vII>0.00</vII><vIPI>0.00</vIPI><vIPIDevol>0.00</vIPIDevol>"
        f"<vPIS>0.00</vPIS><vCOFINS>0.00</vCOFINS><vOutro>0.00</vOutro>"
        f"<vNF>{money(total)}</vNF></ICMSTot></total><transp><modFrete>9</modFrete></transp>"
        f"<pag><detPag><tPag>15</tPag><vPag>{money(total)}</vPag></detPag></pag>{info_xml}"
        f"</infNFe></NFe><protNFe versao=\"4.00\"><infProt><tpAmb>1</tpAmb>"
        f"<verAplic>DEMO</verAplic><chNFe>{key}</chNFe>"
        f"<dhRecbto>{stamp(year, month, day, '09:00:30')}</dhRecbto>"
        f"<nProt>1{key[:2]}{key[2:4]}{number:010d}</nProt><cStat>100</cStat>"
        f"<xMotivo>Autorizado o uso da NF-e</xMotivo></infProt></protNFe></nfeProc>\n")


def recipient(p):
    return (f"<dest><CNPJ>{p['cnpj']}</CNPJ><xNome>{p['name']}</xNome>"
            f"{address('enderDest', p)}<indIEDest>1</indIEDest><IE>{p['ie']}</IE></dest>")


def cte(key, taker, when, number, icms, nfe_key):
    year, month, day = when
    return (
        f"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        f"<cteProc xmlns=\"http://www.portalfiscal.inf.br/cte\" versao=\"4.00\">"
        f"<CTe xmlns=\"http://www.portalfiscal.inf.br/cte\">"
        f"<infCte versao=\"4.00\" Id=\"CTe{key}\"><ide><cUF>{key[:2]}</cUF>"
        f"<cCT>{key[35:43]}</cCT><CFOP>6352</CFOP>"
        f"<natOp>Prestação de serviço de transporte a estab. industrial</natOp><mod>57</mod>"
        f"<serie>{int(key[22:25])}</serie><nCT>{number}</nCT>"
        f"<dhEmi>{stamp(year, month, day, '16:00:00')}</dhEmi><tpImp>1</tpImp>"
        f"<tpEmis>1</tpEmis><cDV>{key[-1]}</cDV><tpAmb>1</tpAmb><tpCTe>0</tpCTe>"
        f"<procEmi>0</procEmi><verProc>Demo 1.0</verProc><cMunEnv>{CARRIER['mun']}</cMunEnv>"
        f"<xMunEnv>{CARRIER['city']}</xMunEnv><UFEnv>MG</UFEnv><modal>01</modal>"
        f"<tpServ>0</tpServ><cMunIni>{CARRIER['mun']}</cMunIni><xMunIni>{CARRIER['city']}"
        f"</xMunIni><UFIni>MG</UFIni><cMunFim>{taker['mun']}</cMunFim><xMunFim>{taker['city']}"
        f"</xMunFim><UFFim>{taker['uf']}</UFFim><retira>1</retira><indIEToma>1</indIEToma>"
        f"<toma3><toma>3</toma></toma3></ide>"
        f"<emit><CNPJ>{CARRIER['cnpj']}</CNPJ><IE>{CARRIER['ie']}</IE><xNome>{CARRIER['name']}"
        f"</xNome>{address('enderEmit', CARRIER, False)}<CRT>3</CRT></emit>"
        f"<dest><CNPJ>{taker['cnpj']}</CNPJ><IE>{taker['ie']}</IE><xNome>{taker['name']}"
        f"</xNome>{address('enderDest', taker)}</dest>"
        f"<vPrest><vTPrest>{money(icms * 100 // 12)}</vTPrest><vRec>{money(icms * 100 // 12)}"
        f"</vRec></vPrest><imp><ICMS><ICMS00><CST>00</CST><vBC>{money(icms * 100 // 12)}</vBC>"
        f"<pICMS>12.00</pICMS><vICMS>{money(icms)}</vICMS></ICMS00></ICMS></imp>"
        f"<infCTeNorm><infCarga><vCarga>1.00</vCarga><proPred>Bem do ativo imobilizado"
        f"</proPred><infQ><cUnid>01</cUnid><tpMed>PESO BRUTO</tpMed><qCarga>1000.0000</qCarga>"
        f"</infQ></infCarga><infDoc><infNFe><chave>{nfe_key}</chave></infNFe></infDoc>"
        f"<infModal versaoModal=\"4.00\"><rodo><RNTRC>12345678</RNTRC></rodo></infModal>"
        f"</infCTeNorm></infCte></CTe><protCTe versao=\"4.00\"><infProt><tpAmb>1</tpAmb>"
        f"<verAplic>DEMO</verAplic><chCTe>{key}</chCTe>"
        f"<dhRecbto>{stamp(year, month, day, '16:00:40')}</dhRecbto>"
        f"<nProt>1{key[:2]}{key[2:4]}{number:010d}</nProt><cStat>100</cStat>"
        f"<xMotivo>Autorizado o uso do CT-e</xMotivo></infProt></protCTe></cteProc>\n")


def cancellation(nfe_key, issuer, when):
    year, month, day = when
    event_id = f"ID110111{nfe_key}01"
    return (
        f"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        f"<procEventoNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"1.00\">"
        f"<evento xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"1.00\">"
        f"<infEvento Id=\"{event_id}\"><cOrgao>{nfe_key[:2]}</cOrgao><tpAmb>1</tpAmb>"
        f"<CNPJ>{issuer['cnpj']}</CNPJ><chNFe>{nfe_key}</chNFe>"
        f"<dhEvento>{stamp(year, month, day, '18:00:00')}</dhEvento><tpEvento>110111</tpEvento>"
        f"<nSeqEvento>1</nSeqEvento><verEvento>1.00</verEvento><detEvento versao=\"1.00\">"
        f"<descEvento>Cancelamento</descEvento><nProt>1{nfe_key[:4]}0000000000</nProt>"
        f"<xJust>Nota emitida com valores errados; substituída.</xJust></detEvento>"
        f"</infEvento></evento><retEvento versao=\"1.00\"><infEvento><tpAmb>1</tpAmb>"
        f"<verAplic>DEMO</verAplic><cOrgao>{nfe_key[:2]}</cOrgao><cStat>135</cStat>"
        f"<xMotivo>Evento registrado e vinculado a NF-e</xMotivo><chNFe>{nfe_key}</chNFe>"
        f"<tpEvento>110111</tpEvento><xEvento>Cancelamento registrado</xEvento>"
        f"<nSeqEvento>1</nSeqEvento><dhRegEvento>{stamp(year, month, day, '18:00:05')}"
        f"</dhRegEvento><nProt>1{nfe_key[:4]}0000000001</nProt></infEvento></retEvento>"
        f"</procEventoNFe>\n")


class Writer:
    def __init__(self):
        self.names = []
        self.codes = Lcg(424242)

    def code(self):
        return 10000000 + self.codes.next() % 89999999

    def write(self, kind, title, text):
        name = f"{len(self.names) + 1:04d}-{kind}-{slug(title)}.xml"
        with open(os.path.join(OUT, name), "w", encoding="utf-8") as f:
            f.write(text)
        self.names.append(name)


NAMED = [  # name, registration, months ago, own ICMS, ST, freight (cents)
    ("Empilhadeira elétrica 2,5 t", REG_A, 0, 960000, 0, 0),
    ("Torno CNC horizontal", REG_A, 47, 4800000, 0, 0),
    ("Compressor de ar parafuso", REG_A, 48, 720000, 0, 0),
    ("Caminhão baú 3/4", REG_A, 20, 2400000, 120000, 0),
    ("Ponte rolante 10 t", REG_A, 10, 1500000, 0, 35040),
    ("Servidor de rede rack", REG_A, 5, 345678, 0, 0),
    ("Empilhadeira a gás", REG_A, 30, 840000, 0, 12000),
    ("Linha de envase", REG_B, 12, 3600000, 0, 89010),
    ("Gerador diesel 150 kVA", REG_B, 3, 1150000, 0, 0),
]
INTERSTATE = {"Ponte rolante 10 t", "Linha de envase"}
FAMILIES = ["Prensa hidráulica", "Esteira transportadora", "Balança rodoviária",
            "Injetora plástica", "Fresadora", "Retífica plana", "Cabine de pintura", "Caldeira",
            "Paleteira elétrica", "Trocador de calor"]


def demo_assets():
    """Company 01's assets in the order they are numbered, each entering on day 1 + 3n % 27 of
    its month, as the earlier demo entered them."""
    listed = list(NAMED)
    rnd = Lcg(20240501)
    for i in range(36):
        months_ago = 1 + rnd.next() % 46
        own = 150000 + rnd.next() % 4000000
        name = f"{FAMILIES[i % 10]} {i // 10 + 1}"
        listed.append((name, REG_B if i % 4 == 3 else REG_A, months_ago, own,
                       18000 if i % 7 == 0 else 0, 9550 if i % 5 == 0 else 0))
    assets = []
    for number, (name, reg, ago, own, st, freight) in enumerate(listed, 1):
        year, month = month_of(ago)
        assets.append((name, reg, (year, month, 1 + (number * 3) % 27), own, st, freight))
    return assets


def entries(w, assets, numbers, company_slug):
    """One supplier NF-e per asset, in the order the assets are numbered; their keys.

    assets: (name, registration, (year, month, day), own ICMS, ST, freight) in cents."""
    keys = []
    for name, reg, when, own, st, _freight in assets:
        interstate = name in INTERSTATE
        supplier = SUPPLIER_MG if interstate else SUPPLIER_SP
        rate = 12 if interstate else 18
        value = own * 100 // rate
        numbers[supplier["cnpj"]] = numbers.get(supplier["cnpj"], 0) + 1
        n = numbers[supplier["cnpj"]]
        key = access_key(supplier["uf"], when[0], when[1], supplier["cnpj"], 55, 1, n, w.code())
        item = dict(code=f"BEM-{slug(name)[:20].upper()}", name=name, cfop=6101 if interstate
                    else 5101, value=value, cst="10" if st else "00", icms=own, st=st, rate=rate)
        w.write("nfe", f"{company_slug} entrada {name}",
                nfe(key, supplier, recipient(reg), when, n,
                    "Venda de produção do estabelecimento", 2 if interstate else 1, [item]))
        keys.append(key)
    return keys


def freights(w, assets, keys, numbers, company_slug):
    """A CT-e taken by the buyer for each purchase with freight, issued the same day."""
    for (name, reg, when, _own, _st, freight), key in zip(assets, keys):
        if not freight:
            continue
        numbers["cte"] = numbers.get("cte", 0) + 1
        n = numbers["cte"]
        cte_key = access_key("MG", when[0], when[1], CARRIER["cnpj"], 57, 1, n, w.code())
        w.write("cte", f"{company_slug} frete {name}", cte(cte_key, reg, when, n, freight, key))


def outgoing_month(w, reg, ago, rnd, numbers, exporter):
    year, month = month_of(ago)
    numbers[reg["ie"]] = numbers.get(reg["ie"], 0)
    docs = []
    # Every month opens with exempt goods, so that no demo month is wholly taxed.
    items = [dict(code="PRD-ISENTO", name="Produto isento", cfop=5102,
                  value=2000000 + rnd.next() % 3000000, cst="40")]
    taxed = 2000000 + rnd.next() % 6000000
    items.append(dict(code="PRD-100", name="Produto tributado", cfop=5101, value=taxed,
                      cst="00", icms=taxed * 18 // 100))
    if rnd.next() % 2:
        items.append(dict(code="PRD-ST", name="Produto com ICMS retido", cfop=5405,
                          value=1000000 + rnd.next() % 2000000, cst="60"))
    if rnd.next() % 3 == 0:
        items.append(dict(code="MOL-7", name="Molde enviado para reparo", cfop=5915,
                          value=500000 + rnd.next() % 1000000, cst="41"))
    docs.append((recipient(CUSTOMER_SP), 1, items, "Venda de mercadoria", 4))
    if exporter:
        docs.append((FOREIGN_BUYER, 3, [dict(code="PRD-EXP", name="Produto para exportação",
                                             cfop=7101, value=3000000 + rnd.next() % 5000000,
                                             cst="41")], "Venda para o exterior", 12))
    else:
        value = 2000000 + rnd.next() % 4000000
        docs.append((recipient(CUSTOMER_RJ), 2, [dict(code="PRD-100", name="Produto tributado",
                                                      cfop=6101, value=value, cst="00",
                                                      icms=value * 12 // 100, rate=12)],
                     "Venda de mercadoria", 12))
    cancelled = rnd.next() % 5 == 0
    if cancelled:
        value = 1000000 + rnd.next() % 1000000
        docs.append((recipient(CUSTOMER_SP), 1, [dict(code="PRD-100", name="Produto tributado",
                                                      cfop=5101, value=value, cst="00",
                                                      icms=value * 18 // 100)],
                     "Venda de mercadoria", 20))
    for index, (dest, id_dest, its, nature, day) in enumerate(docs):
        numbers[reg["ie"]] += 1
        n = numbers[reg["ie"]]
        key = access_key("SP", year, month, reg["cnpj"], 55, 1, n, w.code())
        w.write("nfe", f"saida {reg['ie']} {year}-{month:02d} {n}",
                nfe(key, reg, dest, (year, month, day), n, nature, id_dest, its))
        if cancelled and index == len(docs) - 1:
            w.write("evento", f"cancelamento {reg['ie']} {n}",
                    cancellation(key, reg, (year, month, day)))


def main():
    os.makedirs(OUT, exist_ok=True)
    for old in os.listdir(OUT):
        os.remove(os.path.join(OUT, old))
    w = Writer()
    numbers = {}
    assets = demo_assets()
    keys = entries(w, assets, numbers, "c01")
    freights(w, assets, keys, numbers, "c01")
    for ago in range(23, -1, -1):
        rnd = Lcg(7 + ago * 31)
        outgoing_month(w, REG_A, ago, rnd, numbers, True)
        outgoing_month(w, REG_B, ago, Lcg(11 + ago * 37), numbers, False)
    # The Caminhão, sold six months back: the sale names the NF-e it was bought with and the
    # same product, so the import records its exit.
    truck_key = keys[3]
    year, month = month_of(6)
    numbers[REG_A["ie"]] += 1
    n = numbers[REG_A["ie"]]
    sale_key = access_key("SP", year, month, REG_A["cnpj"], 55, 1, n, w.code())
    w.write("nfe", "saida venda caminhao", nfe(
        sale_key, REG_A, recipient(CUSTOMER_SP), (year, month, 15), n,
        "Venda de bem do ativo imobilizado", 1,
        [dict(code="BEM-CAMINHAO-BAU-3-4", name="Caminhão baú 3/4", cfop=5551, value=6000000,
              cst="00", icms=1080000,
              extra=f"Bem adquirido pela NF-e chave {truck_key}")]))

    # Company 02: the worked example of docs/ciap-rules.md, January 2024.
    worked = [
        ("Empilhadeira", COMPANY_2, (2024, 1, 10), 480000, 0, 0),
        ("Torno", COMPANY_2, (2020, 2, 5), 100000, 0, 0),
        ("Caminhão", COMPANY_2, (2023, 6, 1), 240000, 0, 0),
        ("Ponte rolante", COMPANY_2, (2023, 12, 15), 100000, 10000, 5050),
    ]
    INTERSTATE.add("Ponte rolante")
    keys2 = entries(w, worked, numbers, "c02")
    freights(w, worked, keys2, numbers, "c02")
    invoices = [
        (1, (2024, 1, 3), [("5101", "00", 80000, 14400), ("5102", "40", 20000, 0),
                           ("5915", "41", 70000, 0)], False),
        (2, (2024, 1, 31), [("5101", "00", 10000, 1800), ("5102", "41", 40000, 0)], False),
        (5, (2024, 1, 20), [("5101", "00", 999999, 180000)], True),
    ]
    for n, when, its, cancelled in invoices:
        key = access_key("SP", when[0], when[1], COMPANY_2["cnpj"], 55, 1, n, w.code())
        items = [dict(code=f"MERC-{cfop}", name=f"Mercadoria {cfop}", cfop=int(cfop), value=value,
                      cst=cst, icms=icms) for cfop, cst, value, icms in its]
        w.write("nfe", f"c02 saida {n}", nfe(key, COMPANY_2, recipient(CUSTOMER_SP), when, n,
                                             "Venda de mercadoria", 1, items))
        if cancelled:
            w.write("evento", f"c02 cancelamento {n}", cancellation(key, COMPANY_2, when))

    with open(os.path.join(HERE, "documents.qrc"), "w", encoding="utf-8") as f:
        f.write("<RCC>\n    <qresource prefix=\"/demo\">\n")
        for name in w.names:
            f.write(f"        <file>documents/{name}</file>\n")
        f.write("    </qresource>\n</RCC>\n")
    print(f"{len(w.names)} documents written to {OUT}")


if __name__ == "__main__":
    main()
