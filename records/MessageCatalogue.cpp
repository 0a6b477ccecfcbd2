// The balance screen's keyed texts. The entries without a user in the screen carry the
// registration vocabulary of the owner records and stay for the other screens' sake.
#include "records/MessageCatalogue.h"

namespace records {

const std::vector<std::string>& MessageCatalogue() {
    static const std::vector<std::string> lines{
        "Excl|Confirma Exclusão?",
        "CRedu_cad|Conta corrente não cadastrada.",
        "CRedu_inv|Conta corrente deve ser informada.",
        "Empr_cad|Empresa não cadastrada.",
        "Empr_inv|Empresa deve ser informada.",
        "CCtbl_cad|Conta contábil não cadastrada.",
        "CCtbl_inv|Conta contábil deve ser informada.",
        "CGC_cad|C.G.C. não cadastrado.",
        "CGC_inf|C.G.C. deve ser informado.",
        "Cliente|Cliente",
        "Forn|Fornecedor",
        "btn_pres|O botão inscrição deve ser pressionado",
        "ContAna_inv|Conta contábil deve ser do tipo analítica.",
        "CContCon_inv|Conta contábil deve ser informada.",
        "CContCon_cad|Conta contábil não cadastrada.",
        "ContCtbl|Conta Contábil",
        "J|Insc. (C.G.C.)",
        "F|Insc. (C.P.F.)",
        "I|Insc. (Jurídica)",
        "O|Insc. (Outros)",
        "CPF_Inv|C.P.F. inválido.",
        "CGC_Inv|C.G.C. inválido.",
        "ContaC_Cad|Conta comercial já cadastrada.",
        "CPF_Cad|C.P.F. não cadastrado.",
        "InJ_Cad|Inscrição jurídica não cadastrada.",
        "Ins_Cad|Inscrição não cadastrada.",
        "CPF_Inf|C.P.F. deve ser informado.",
        "InJ_Inf|Inscrição jurídica deve ser informada.",
        "Ins_Inf|Inscrição deve ser informada.",
        "Conta_Contab_Empty|Não há Conta Contábil cadastrada.",
        "Fornecedor_Empty|Fornecedor não cadastrado.",
        "Cliente_Empty|Cliente não cadastrado.",
        "Banco_Empty|Banco não cadastrado.",
        "Saldo_ContCtbl|Não é possível implantar saldo! Saldo insuficiente na Conta Contábil.",
        "Dt_Imp_Saldo_Empty|Data de Implantação de Saldo deve ser informada.",
        "Conta_Contabil_Empty|Conta Contábil deve ser informada.",
        "Nome_Cont_Contabil_Empty|Nome da Conta Contábil deve ser informada.",
        "Nome_Fornec_Empty|Nome do Fornecedor deve ser informado.",
        "Varlor_Empty|Valor de Saldo deve ser informado.",
        "Nome_Cliente_Empty|Nome do Cliente deve ser informado.",
        "Nome_Banco_Empty|Nome do Banco deve ser informado.",
        "S|Sim",
        "N|Não",
        "Data_Inv|Data inválida!",
        "Banco|Banco",
    };
    return lines;
}

}  // namespace records
