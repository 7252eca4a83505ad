// Every shared text in every language: one column per language, one row per Text, in the
// order Text lists them. %1, %2, ... mark where the values go. The first column, English, stands
// in for a text a later column leaves out (nullptr).
#include "core/text/TextTable.h"

namespace pellum {

const TextColumn kTextTable[] = {
    {"en",
     {
         "Cannot open file %1",
         "Cannot create file %1",
         "Message %1 is longer than %2 bytes",
         "File %1: message %2 is longer than %3 bytes",
         "'%1' is not a number",
         "More than %1 lines",
         "The header is longer than %1 bytes",
         "%1, line %2: %3",
         "%1 ends too early: %2",
         "%1: message %2 ends without F7; an F7 was added to close it",
         "%1: %2 messages end without F7 (%3); an F7 was added to close each",
         "No SysEx message in %1",
         "%1 is not a Standard MIDI File: its MThd header is missing or damaged",
         "%1 is cut short: it ends inside a chunk or before its last track",
         "%1 is damaged: track %2 holds no valid event at byte %3",
         "%1: F7 escape events (real-time or MTC bytes, not SysEx) not listed: %2",
         "Cannot read '%1'",
         "Cannot write '%1'",
         "'%1' has the wrong data type",
         "all",
         "cut short inside the maker ID",
         "%1 is a folder",
         "Line %1: %2",
         "no F0: a message must begin with F0",
         "no F7: the message does not end",
         "%1 inside a message: data bytes are below 80H",
         "'%1' is not a hex byte",
         "no SysEx message",
         "The list has no room for the %1 lines this would put back",
         "Offset %1H: %2",
         "%1 offset %2: %3 -> %4",
         ", address %1",
         "%1 only in %2: %3",
         "Files %1 and %2 differ",
     }},
    {"ja",
     {
         "ファイル %1 は開けません",
         "ファイル %1 を作成できません",
         "%1 番目のメッセージが %2 バイトを超えています",
         "ファイル %1 の %2 番目のメッセージが %3 バイトを超えています",
         "'%1' は数値ではありません",
         "有効な行が %1 行を超えています",
         "ヘッダーが %1 バイトを超えています",
         "%1 の %2 行目: %3",
         "%1 は途中で終わっています: %2",
         "%1 の %2 番目のメッセージは F7 で終わっていません。F7 を補って閉じました",
         "%1 の %2 個のメッセージ (%3 番目) は F7 で終わっていません。それぞれ F7 "
         "を補って閉じました",
         "%1 に SysEx メッセージがありません",
         "%1 は Standard MIDI File ではありません: MThd ヘッダーがないか壊れています",
         "%1 は途中で切れています: チャンクの途中か最後のトラックの前で終わっています",
         "%1 は壊れています: トラック %2 の %3 バイト目に有効なイベントがありません",
         "%1: F7 エスケープイベント %2 個 (リアルタイムまたは MTC のバイトで SysEx ではありません) "
         "は一覧に入りません",
         "'%1' の取得に失敗しました",
         "'%1' の設定に失敗しました",
         "'%1' のデータ型が不正です",
         "全機器",
         "メーカー ID の途中で切れています",
         "%1 はフォルダーです",
         "%1 行目: %2",
         "F0 がありません: メッセージは F0 で始まります",
         "F7 がありません: メッセージが終わっていません",
         "メッセージの中に %1 があります: データバイトは 80H 未満です",
         "'%1' は 16 進数のバイトではありません",
         "SysEx メッセージがありません",
         "元に戻す %1 行を入れる空きがリストにありません",
         "オフセット %1H: %2",
         "%1 オフセット %2: %3 -> %4",
         "、アドレス %1",
         "%1 %2 にのみあり: %3",
         "ファイル %1 と %2 は異なります",
     }},
};

const std::size_t kTextColumns = std::size(kTextTable);

}  // namespace pellum
