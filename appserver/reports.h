#pragma once

// The documents vexor-server makes as PDF: the receipt of a web payment and the account
// reports (account summary, receivables by due date of many accounts, sales and collections
// table of one account). Each is built from the database at the moment it is asked for.
//
// PDFs are laid out with QTextDocument and written by QPdfWriter. Both need fonts, and Qt
// gives fonts only to a QGuiApplication: the server runs one on the "offscreen" platform.
// Texts are Turkish; the documents use DejaVu Sans, which has every Turkish letter.

#include "storage/pricing.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <array>
#include <vector>

namespace vexor {

class Database;

// The report numbers of RaporGetir.
inline constexpr int kReportAccountSummary = 6; // one account (carino > 0) or, for 0, receivables of many
inline constexpr int kReportAccountSales = 7;   // sales and collections of one account, month by month

// "bin iki yüz otuz dört Türk lirası elli altı kuruş": an amount as it is written out on a
// receipt, rounded to the kuruş. Negative amounts read "eksi ...".
QString amountInWords(double amount);

// One row of an account's statement as the receivables are computed from it.
struct LedgerEntry
{
    QDate date;
    QDate due; // when a debit falls due; its date when it has no due date
    QString kind;
    QString documentNo;
    double debit = 0;
    double credit = 0;
};

// A debit that is not paid yet on the day of the computation.
struct OpenItem
{
    QString kind;
    QString documentNo;
    QDate date;
    QDate due;
    double amount = 0;    // the debit
    double remaining = 0; // what is still owed of it
    int daysLate = 0;     // days past its due date; 0 when not yet due
};

// What an account owes on one day, by how late it is. Credits settle the debits that fall due
// first, as a dealer's payments are booked against the oldest invoices. What is left of the
// credits after every debit is settled is an advance (a credit balance).
// balance == notDue + overdueTotal() - advance, to the kuruş.
struct ReceivableAging
{
    double debit = 0;
    double credit = 0;
    double balance = 0;
    double notDue = 0;
    // 1-30, 31-60, 61-90 and more than 90 days past the due date.
    std::array<double, 4> overdue{};
    double advance = 0;
    std::vector<OpenItem> openItems; // by due date

    double overdueTotal() const;
};

// Entries after `day` are left out.
ReceivableAging ageReceivables(std::vector<LedgerEntry> entries, QDate day);

// True when the process can lay out documents (it runs a QGuiApplication).
bool documentsAvailable();

// The receipt of a web payment; empty when there is no such payment.
QByteArray webPaymentReceiptPdf(Database &db, int paymentId);

// Report 6 for one account on `day`: account details, balance, receivables by due date, open
// invoices, open order balances and the last movements. Empty when there is no such account.
QByteArray accountSummaryPdf(Database &db, int accountId, QDate day);

// Report 6 for many accounts on `day`: every account with a balance, its receivables by due
// date and the totals. `repId` > 0 takes the accounts of that representative only.
QByteArray receivablesPdf(Database &db, int repId, QDate day);

// Report 7 for one account from `from` to `to` (whole days): the balance carried in, month by
// month the sales, returns, collections and payments with the balance at each month's end, and
// the sales by representative. Empty when there is no such account.
QByteArray accountSalesPdf(Database &db, int accountId, QDate from, QDate to);

} // namespace vexor
