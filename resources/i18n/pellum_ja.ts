<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>Dialogs</name>
    <message>
        <source>Application Error</source>
        <translation>アプリケーション エラー</translation>
    </message>
</context>
<context>
    <name>pellum::AboutBox</name>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>The latest version is here</source>
        <translation>最新版はこちらへ</translation>
    </message>
    <message>
        <source>Mail us!</source>
        <translation>メールよろしく！</translation>
    </message>
    <message>
        <source>?subject=About Pellum&amp;cc=&amp;bcc=</source>
        <translation>?subject=Pellumについて&amp;cc=&amp;bcc=</translation>
    </message>
</context>
<context>
    <name>pellum::ComparedListModel</name>
    <message>
        <source>Not in %1</source>
        <translation>%1 にありません</translation>
    </message>
    <message numerus="yes">
        <source>%n byte(s) differ from line %1 of %2</source>
        <translation>
            <numerusform>%2 の %1 行目と %n バイト異なります</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>pellum::MainWindow</name>
    <message>
        <source>The list is full</source>
        <translation>これ以上記録できません</translation>
    </message>
    <message>
        <source>No MIDI output device is open. Nothing was sent</source>
        <translation>MIDI 出力デバイスが開いていません。何も送信していません</translation>
    </message>
    <message>
        <source>The MIDI output device &quot;%1&quot; went away or was disconnected. Not every byte reached it</source>
        <translation>MIDI 出力デバイス「%1」との接続が切れました。すべてのデータは届いていません</translation>
    </message>
    <message numerus="yes">
        <source>%n message(s) that arrived while capture was paused are now in the list</source>
        <translation>
            <numerusform>キャプチャの一時停止中に届いた %n 個のメッセージをリストに加えました</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n more found no room in the list and were let go</source>
        <translation>
            <numerusform>ほかの %n 個はリストに空きがなく、破棄しました</numerusform>
        </translation>
    </message>
    <message>
        <source>Data may have been lost while receiving</source>
        <translation>受信中にデータが失われた可能性があります</translation>
    </message>
    <message>
        <source>Override CH%1</source>
        <translation>CH%1 で送信</translation>
    </message>
    <message>
        <source>Data was lost while receiving</source>
        <translation>受信中にデータが失われました</translation>
    </message>
    <message numerus="yes">
        <source>%1 byte(s) of data were lost while receiving</source>
        <translation>
            <numerusform>受信中に %1 バイトのデータが失われました</numerusform>
        </translation>
    </message>
    <message>
        <source>Received a message longer than %1 bytes. It is not recorded</source>
        <translation>%1 バイトを超えるメッセージを受信しました。記録しません</translation>
    </message>
    <message>
        <source>Open SysEx File</source>
        <translation>Open Syx File</translation>
    </message>
    <message>
        <source>SysEx Files(*.syx)|*.ex;*.syx</source>
        <translation>System Exclusive Message(*.syx)|*.ex;*.syx</translation>
    </message>
    <message>
        <source>Save SysEx File</source>
        <translation>Save Syx File</translation>
    </message>
    <message>
        <source>SysEx Files(*.syx)|*.syx</source>
        <translation>System Exclusive Message(*.syx)|*.syx</translation>
    </message>
    <message>
        <source>Standard MIDI Files(*.mid;*.midi)|*.mid;*.midi</source>
        <translation>スタンダード MIDI ファイル(*.mid;*.midi)|*.mid;*.midi</translation>
    </message>
    <message>
        <source>Standard MIDI File(*.mid)|*.mid</source>
        <translation>スタンダード MIDI ファイル(*.mid)|*.mid</translation>
    </message>
    <message>
        <source>Open Request File</source>
        <translation>Open Config Files</translation>
    </message>
    <message>
        <source>Request Files(*.cfg)|*.cfg</source>
        <translation>USER DUMP FILE(*.CFG)|*.cfg</translation>
    </message>
    <message>
        <source>&amp;Clear List</source>
        <translation>Clear List(&amp;C)</translation>
    </message>
    <message>
        <source>Clear List</source>
        <translation>Clear List</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>File(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>New(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>Open(&amp;O)</translation>
    </message>
    <message>
        <source>&amp;Save	Ctrl+S</source>
        <translation>Save(&amp;S)	Ctrl+S</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>Exit(&amp;X)</translation>
    </message>
    <message>
        <source>&amp;List</source>
        <translation>List(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Delete Message</source>
        <translation>List Delete(&amp;D)</translation>
    </message>
    <message>
        <source>Send &amp;All</source>
        <translation>Auto Sending(&amp;A)</translation>
    </message>
    <message>
        <source>S&amp;top Sending</source>
        <translation>Send Stop(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>Help(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>About(&amp;A)</translation>
    </message>
    <message>
        <source>Delete Message</source>
        <translation>List Delete</translation>
    </message>
    <message>
        <source>Send All</source>
        <translation>Auto Sending</translation>
    </message>
    <message>
        <source>Stop Sending</source>
        <translation>Send Stop</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>SysEx</source>
        <translation>SysEx</translation>
    </message>
    <message>
        <source>SysEx List</source>
        <translation>SysEx List</translation>
    </message>
    <message>
        <source>USER</source>
        <translation>USER</translation>
    </message>
    <message>
        <source>Dump Request</source>
        <translation>Dump Request</translation>
    </message>
    <message>
        <source>Send Request</source>
        <translation>Action!</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Vendor</source>
        <translation>Vendor</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>TYPE</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>Receive</source>
        <translation>Receive</translation>
    </message>
    <message>
        <source>System Information</source>
        <translation>System Information</translation>
    </message>
    <message>
        <source>Global Channel</source>
        <translation>Global Channel</translation>
    </message>
    <message>
        <source>Vendor Name</source>
        <translation>Vendor Name</translation>
    </message>
    <message>
        <source>Vendor ID</source>
        <translation>Vendor ID</translation>
    </message>
    <message>
        <source>Machine Name</source>
        <translation>Machine Name</translation>
    </message>
    <message>
        <source>Machine ID</source>
        <translation>Machine ID</translation>
    </message>
    <message>
        <source>System Version</source>
        <translation>System Version</translation>
    </message>
    <message>
        <source>Software Version</source>
        <translation>Software Version</translation>
    </message>
    <message>
        <source>Config</source>
        <translation>Config</translation>
    </message>
    <message>
        <source>In</source>
        <translation>In</translation>
    </message>
    <message>
        <source>Out</source>
        <translation>Out</translation>
    </message>
    <message>
        <source>SysEx Channel</source>
        <translation>CH Channel</translation>
    </message>
    <message>
        <source>Override</source>
        <translation>SysEx  Send</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>Send Speed</source>
        <translation>Send Speed</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>High</source>
        <translation>High</translation>
    </message>
    <message>
        <source>No MIDI devices: found no JACK server and no ALSA sequencer. Start a JACK server or PipeWire, or load the ALSA driver, and the devices appear in the lists on the Config tab</source>
        <translation>MIDI デバイスがありません。JACK サーバーも ALSA シーケンサーも見つかりませんでした。JACK サーバーか PipeWire を起動するか ALSA のドライバーを読み込めば、デバイスは Config タブの一覧に自動で現れます</translation>
    </message>
    <message>
        <source>The last MIDI input device &quot;%1&quot; is missing. The input is not open</source>
        <translation>前回の MIDI 入力デバイス「%1」が見つかりません。入力は開いていません</translation>
    </message>
    <message>
        <source>The last MIDI output device &quot;%1&quot; is missing. The output is not open</source>
        <translation>前回の MIDI 出力デバイス「%1」が見つかりません。出力は開いていません</translation>
    </message>
    <message>
        <source>Once connected, it appears in the lists on the Config tab. Choose it there again</source>
        <translation>つながると Config タブの一覧に現れます。そこで選び直してください</translation>
    </message>
    <message>
        <source>Save SysEx File</source>
        <comment>dialog title</comment>
        <translation>Syx File Save</translation>
    </message>
    <message>
        <source>Open Request File</source>
        <comment>dialog title</comment>
        <translation>Open CFG File</translation>
    </message>
    <message>
        <source>(None)</source>
        <translation>(None)</translation>
    </message>
    <message>
        <source>(not open) %1</source>
        <translation>(開いていません) %1</translation>
    </message>
    <message>
        <source>(missing) %1</source>
        <translation>(見つかりません) %1</translation>
    </message>
    <message>
        <source>%1 ms</source>
        <translation>%1 ms</translation>
    </message>
    <message>
        <source>The MIDI output device &quot;%1&quot; is back and open again</source>
        <translation>MIDI 出力デバイス「%1」が戻ったので、開き直しました</translation>
    </message>
    <message>
        <source>The MIDI input device &quot;%1&quot; is back and open again</source>
        <translation>MIDI 入力デバイス「%1」が戻ったので、開き直しました</translation>
    </message>
    <message numerus="yes">
        <source>%n bad sum(s)</source>
        <translation>
            <numerusform>サム誤り %n</numerusform>
        </translation>
    </message>
    <message>
        <source>Messages whose checksum is wrong: %1</source>
        <translation>チェックサムが合わないメッセージ: %1 件</translation>
    </message>
    <message>
        <source>&amp;View Message...</source>
        <translation>メッセージの内容(&amp;V)...</translation>
    </message>
    <message>
        <source>The SysEx list has changes that are not saved. Save them?</source>
        <translation>SysEx リストに保存していない変更があります。保存しますか?</translation>
    </message>
    <message>
        <source>In: %1  Out: %2</source>
        <translation>入力: %1  出力: %2</translation>
    </message>
    <message>
        <source>Capture on</source>
        <translation>キャプチャ中</translation>
    </message>
    <message>
        <source>Capture paused</source>
        <translation>キャプチャ一時停止中</translation>
    </message>
    <message>
        <source>Override off</source>
        <translation>CH 上書きなし</translation>
    </message>
    <message>
        <source>The MIDI input device &quot;%1&quot; was disconnected</source>
        <translation>MIDI 入力デバイス「%1」との接続が切れました</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>無題</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Save As(&amp;A)</translation>
    </message>
    <message>
        <source>Send the &amp;Selected Line</source>
        <translation>Send the Selected Line(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Resume Capture</source>
        <translation>Resume Capture(&amp;R)</translation>
    </message>
    <message>
        <source>Open &amp;Request File...</source>
        <translation>Open Request File(&amp;R)</translation>
    </message>
    <message>
        <source>Send Re&amp;quest</source>
        <translation>Send Request(&amp;Q)</translation>
    </message>
    <message>
        <source>Messages: %1  Bytes: %2</source>
        <translation>%1 件  %2 バイト</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>再開</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>Move</source>
        <translation>Move</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>New Message</source>
        <translation>New Message</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Fix Checksum</source>
        <translation>Fix Checksum</translation>
    </message>
    <message numerus="yes">
        <source>The list has room for %n more message(s)</source>
        <translation>
            <numerusform>リストにはあと %n 個のメッセージしか入りません</numerusform>
        </translation>
    </message>
    <message>
        <source>&amp;Undo %1</source>
        <translation>Undo %1(&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>Undo(&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Redo %1</source>
        <translation>Redo %1(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>Redo(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>Edit(&amp;E)</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>Cut(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>Copy(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>Paste(&amp;P)</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>Select All(&amp;A)</translation>
    </message>
    <message>
        <source>Move &amp;Up</source>
        <translation>Move Up(&amp;U)</translation>
    </message>
    <message>
        <source>Move Dow&amp;n</source>
        <translation>Move Down(&amp;N)</translation>
    </message>
    <message>
        <source>Send S&amp;elected</source>
        <translation>Send Selected(&amp;E)</translation>
    </message>
    <message>
        <source>Save Selected &amp;As...</source>
        <translation>Save Selected As(&amp;A)...</translation>
    </message>
    <message>
        <source>The message&apos;s line is no longer in the list</source>
        <translation>このメッセージの行はもうリストにありません</translation>
    </message>
    <message numerus="yes">
        <source>%n checksum(s) fixed</source>
        <translation>
            <numerusform>チェックサムを %n 個直しました</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n message(s) of formats without a known checksum left as they were</source>
        <translation>
            <numerusform>チェックサムの形式が分からないメッセージ %n 個はそのままです</numerusform>
        </translation>
    </message>
    <message>
        <source>&amp;New Message...</source>
        <translation>New Message(&amp;N)...</translation>
    </message>
    <message>
        <source>&amp;Fix Checksum</source>
        <translation>Fix Checksum(&amp;F)</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>時刻</translation>
    </message>
    <message>
        <source>Gap</source>
        <translation>間隔</translation>
    </message>
    <message>
        <source>Send As &amp;Recorded</source>
        <translation>Send As Recorded(&amp;R)</translation>
    </message>
    <message>
        <source>T&amp;imes</source>
        <translation>Times(&amp;I)</translation>
    </message>
    <message>
        <source>&amp;No Times</source>
        <translation>No Times(&amp;N)</translation>
    </message>
    <message>
        <source>Time Since Capture &amp;Started</source>
        <translation>Time Since Capture Started(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Gap Since the Line Before</source>
        <translation>Gap Since the Line Before(&amp;G)</translation>
    </message>
    <message>
        <source>Compare With File</source>
        <translation>Compare With File</translation>
    </message>
    <message>
        <source>Same as %1</source>
        <translation>%1 と同じ</translation>
    </message>
    <message numerus="yes">
        <source>%n differ(s)</source>
        <translation>
            <numerusform>差異 %n</numerusform>
        </translation>
    </message>
    <message>
        <source>Compared with %1</source>
        <translation>比較するファイル: %1</translation>
    </message>
    <message numerus="yes">
        <source>, %n missing</source>
        <translation>
            <numerusform>、欠落 %n</numerusform>
        </translation>
    </message>
    <message>
        <source>Lines of the file the list lacks: %1</source>
        <translation>リストにないファイルの行: %1</translation>
    </message>
    <message>
        <source>Not in %1</source>
        <translation>%1 にありません</translation>
    </message>
    <message>
        <source>%1, line %2</source>
        <translation>%1 の %2 行目</translation>
    </message>
    <message>
        <source>Co&amp;mpare With File...</source>
        <translation>Compare With File(&amp;M)...</translation>
    </message>
    <message>
        <source>End Com&amp;parison</source>
        <translation>End Comparison(&amp;P)</translation>
    </message>
</context>
<context>
    <name>pellum::MessageListModel</name>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>+%1 s</source>
        <translation>+%1 s</translation>
    </message>
</context>
<context>
    <name>pellum::MessageView</name>
    <message>
        <source>Message</source>
        <translation>メッセージ</translation>
    </message>
    <message>
        <source>Maker</source>
        <translation>メーカー</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>デバイス番号</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>モデル</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>コマンド</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>アドレス</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>サイズ</translation>
    </message>
    <message>
        <source>Checksum: ok</source>
        <translation>チェックサム: 正常</translation>
    </message>
    <message>
        <source>Checksum: wrong (%1H, want %2H)</source>
        <translation>チェックサム: 誤り (%1H、正しくは %2H)</translation>
    </message>
    <message>
        <source>Checksum: none known for this format</source>
        <translation>チェックサム: この形式には既知のものがありません</translation>
    </message>
    <message>
        <source>Fix Checksum</source>
        <translation>Fix Checksum</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Hex:</source>
        <translation>Hex:</translation>
    </message>
    <message>
        <source>ASCII:</source>
        <translation>ASCII:</translation>
    </message>
    <message>
        <source>New message</source>
        <translation>New message</translation>
    </message>
    <message>
        <source>This list</source>
        <translation>このリスト</translation>
    </message>
</context>
</TS>
