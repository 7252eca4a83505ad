<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>pellum::ComparedListModel</name>
    <message numerus="yes">
        <source>%n byte(s) differ from line %1 of %2</source>
        <translation>
            <numerusform>%n byte differs from line %1 of %2</numerusform>
            <numerusform>%n bytes differ from line %1 of %2</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>pellum::MainWindow</name>
    <message numerus="yes">
        <source>%n message(s) of formats without a known checksum left as they were</source>
        <translation>
            <numerusform>%n message of a format without a known checksum left as it was</numerusform>
            <numerusform>%n messages of formats without a known checksum left as they were</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n checksum(s) fixed</source>
        <translation>
            <numerusform>%n checksum fixed</numerusform>
            <numerusform>%n checksums fixed</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The list has room for %n more message(s)</source>
        <translation>
            <numerusform>The list has room for %n more message</numerusform>
            <numerusform>The list has room for %n more messages</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n message(s) that arrived while capture was paused are now in the list</source>
        <translation>
            <numerusform>%n message that arrived while capture was paused is now in the list</numerusform>
            <numerusform>%n messages that arrived while capture was paused are now in the list</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n more found no room in the list and were let go</source>
        <translation>
            <numerusform>%n more found no room in the list and was let go</numerusform>
            <numerusform>%n more found no room in the list and were let go</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 byte(s) of data were lost while receiving</source>
        <translation>
            <numerusform>%1 byte of data was lost while receiving</numerusform>
            <numerusform>%1 bytes of data were lost while receiving</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n bad sum(s)</source>
        <translation>
            <numerusform>%n bad sum</numerusform>
            <numerusform>%n bad sums</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n differ(s)</source>
        <translation>
            <numerusform>%n differs</numerusform>
            <numerusform>%n differ</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>, %n missing</source>
        <translation>
            <numerusform>, %n missing</numerusform>
            <numerusform>, %n missing</numerusform>
        </translation>
    </message>
</context>
</TS>
