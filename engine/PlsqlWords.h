// PL/SQL's own vocabulary: the data types and keywords that a PL/SQL unit
// uses beyond SQL's word lists. With the PL/SQL layout on, the words of a
// PL/SQL unit are classified with these added, so that they are re-cased by
// their category and the layout can test their codes.
#pragma once

#include "WordLists.h"

#include <span>

// Codes of the PL/SQL keywords, after SQL's (RecoCode). No SQL layout rule
// tests them, so SQL laid out inside a PL/SQL unit is unchanged by them.
enum PlsqlCode
{
    KW_ACCESSIBLE = 301,
    KW_AFTER,
    KW_AUTHID,
    KW_AUTONOMOUS_TRANSACTION,
    KW_BEFORE,
    KW_CLOSE,
    KW_COMPOUND,
    KW_CONSTANT,
    KW_CONSTRUCTOR,
    KW_CONTINUE,
    KW_CURRENT_USER,
    KW_CURSOR,
    KW_DEFINER,
    KW_DETERMINISTIC,
    KW_DISABLE,
    KW_EACH,
    KW_EDITIONABLE,
    KW_ENABLE,
    KW_EXCEPTION_INIT,
    KW_EXCEPTIONS,
    KW_EXTERNAL,
    KW_FETCH,
    KW_FINAL,
    KW_FOLLOWS,
    KW_FORCE,
    KW_GOTO,
    KW_INDICES,
    KW_INLINE,
    KW_INSTANTIABLE,
    KW_INSTEAD,
    KW_JAVA,
    KW_LANGUAGE,
    KW_LIBRARY,
    KW_MAP,
    KW_MEMBER,
    KW_NOCOPY,
    KW_NONEDITIONABLE,
    KW_OBJECT,
    KW_OF,
    KW_OUT,
    KW_OVERRIDING,
    KW_PARALLEL_ENABLE,
    KW_PIPE,
    KW_PIPELINED,
    KW_PRAGMA,
    KW_PRECEDES,
    KW_RAISE,
    KW_REFERENCING,
    KW_RELIES_ON,
    KW_RESTRICT_REFERENCES,
    KW_RESULT_CACHE,
    KW_RETURNING,
    KW_REVERSE,
    KW_ROLLBACK,
    KW_SAVE,
    KW_SAVEPOINT,
    KW_SERIALLY_REUSABLE,
    KW_STATIC,
    KW_SUBTYPE,
    KW_TRIGGER,
    KW_UNDER,
    KW_VARRAY,
};

// SQL's word index with PL/SQL's data types and keywords added: the index a
// PL/SQL unit is classified with when its layout is on.
CWordIndex PlsqlWordIndex(const CWordIndex& sqlWords);
// PlsqlWordIndex of the standard word index, built once and shared read-only.
const CWordIndex& StandardPlsqlWordIndex();

// Re-cases the attribute that ends a word such as emp%ROWTYPE or c%NOTFOUND
// (TYPE, ROWTYPE, FOUND, NOTFOUND, ISOPEN, ROWCOUNT, BULK_ROWCOUNT,
// BULK_EXCEPTIONS) in the case of keywords (a CapMode); the name before it
// keeps the case of its word.
void ApplyAttributeCase(CTokenList& tokens, int32_t keywordCase);
// Re-cases TIME ZONE and LOCAL TIME ZONE after TIMESTAMP [(n)] WITH, words of
// the data type that are not keywords elsewhere, in the case of data types.
void ApplyTimeZoneCase(CTokenList& tokens, int32_t keywordCase);
// Re-cases the words of conditional compilation ($IF, $THEN, $ELSIF, $ELSE,
// $END, $ERROR) in the case of keywords; inquiry names ($$name) keep theirs.
void ApplyDirectiveCase(CTokenList& tokens, int32_t keywordCase);

// The PL/SQL words as added, for the tests: the keywords with their codes and
// the data types (code 0).
struct CPlsqlWord
{
    const char16_t* m_pWord;
    int32_t m_nKind; // TK_KEYWORD or TK_DATATYPE
    int32_t m_nCode;
};
std::span<const CPlsqlWord> PlsqlWords();
