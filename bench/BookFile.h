#pragma once

#include "BookGenerator.h"
#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "platform/Table.h"

#include <QtGlobal>

#include <utility>
#include <vector>

// Writes a new address table of `records` generated records at `path`, in
// one batch, as the record form would store them (names in the "@" form).
inline void WriteGeneratedBook(const QString &path, int records)
{
    TTable table;
    table.SetTableName(path);
    table.SetPassword(TablePassword);
    table.SetFieldDefs(AdrsFieldDefs);
    table.SetIndexDefs(AdrsIndexDefs);
    if (!table.CreateTable())
        qFatal("cannot create %s", qPrintable(path));
    table.Open();
    auto field = [&table](const char *name) { return &table.FieldByName(QString::fromLatin1(name)); };
    const std::vector<std::pair<TField *, QString BookRecord::*>> texts = {
        {field("CustomCode"), &BookRecord::customCode}, {field("Tel"), &BookRecord::tel},
        {field("Fax"), &BookRecord::fax},               {field("Portable1"), &BookRecord::portable1},
        {field("Pos"), &BookRecord::pos},               {field("Tdfkn"), &BookRecord::tdfkn},
        {field("Adrs1"), &BookRecord::adrs1},           {field("Adrs2"), &BookRecord::adrs2},
        {field("Adrs3"), &BookRecord::adrs3},           {field("AdrsKana"), &BookRecord::adrsKana},
        {field("JisCode"), &BookRecord::jisCode},       {field("CorpKanji"), &BookRecord::corpKanji},
        {field("CorpKana"), &BookRecord::corpKana},     {field("Dptmnt"), &BookRecord::dptmnt},
        {field("Post"), &BookRecord::post},             {field("NameKana"), &BookRecord::nameKana},
        {field("Honor"), &BookRecord::honor},           {field("EMail1"), &BookRecord::email1},
        {field("Note"), &BookRecord::note}};
    TField *keywords[8];
    for (int k = 0; k < 8; ++k)
        keywords[k] = &table.FieldByName(QStringLiteral("Keyword%1").arg(k + 1));
    TField *nameKanji = field("NameKanji"), *group = field("Group"), *privCorp = field("PrivCorp"),
           *added = field("AddDateTime"), *updated = field("UpdDateTime");
    BookGenerator gen;
    table.BeginBatch();
    for (int i = 0; i < records; ++i) {
        const BookRecord r = gen.next();
        table.Append();
        for (const auto &[f, member] : texts)
            f->SetAsString(r.*member);
        for (int k = 0; k < 8; ++k)
            keywords[k]->SetAsString(r.keywords[k]);
        nameKanji->SetAsBytes(EncodeUnicodeField(r.nameKanji));
        group->SetAsInteger(r.group);
        privCorp->SetAsBoolean(r.privCorp);
        added->SetAsDateTime(r.added);
        updated->SetAsDateTime(r.added);
        table.Post();
    }
    table.EndBatch();
    table.Close();
}
