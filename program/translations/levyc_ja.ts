<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>levyc::Form1</name>
    <message>
        <source>Open a View</source>
        <translation>表示を開く</translation>
    </message>
    <message>
        <source>A view opens once the drawing or the save has ended.</source>
        <translation>表示は描画または保存が終わってから開きます。</translation>
    </message>
    <message>
        <source>&apos;%1&apos; holds no view that can be shown: %2</source>
        <translation>「%1」には表示できる表示がありません: %2</translation>
    </message>
    <message>
        <source>Bookmarks</source>
        <translation>ブックマーク</translation>
    </message>
    <message>
        <source>Kept as the bookmark “%1”.</source>
        <translation>ブックマーク「%1」として保存しました。</translation>
    </message>
    <message>
        <source>Cannot Keep the Bookmark</source>
        <translation>ブックマークを保存できません</translation>
    </message>
    <message>
        <source>Draw</source>
        <translation>描画</translation>
    </message>
    <message>
        <source>Clears the picture and draws 101 Lévy C curves in rainbow colours, then the last one in white.</source>
        <translation>画像を消去し、レヴィC曲線を虹色で101本描いてから、最後の1本を白で描き直します。</translation>
    </message>
    <message>
        <source>Draw: clear the picture and draw the curves</source>
        <translation>描画: 画像を消去して曲線を描きます</translation>
    </message>
    <message>
        <source>Stop drawing</source>
        <translation>描画中止</translation>
    </message>
    <message>
        <source>Ends the drawing once the curve in progress is complete.</source>
        <translation>描いている曲線が終わったところで描画を止めます。</translation>
    </message>
    <message>
        <source>Stop drawing after the curve in progress</source>
        <translation>描いている曲線が終わったら描画を止めます</translation>
    </message>
    <message>
        <source>Type-1 maximum</source>
        <translation>形式1最大値</translation>
    </message>
    <message>
        <source>The label of the first field.</source>
        <translation>1つ目の入力欄の見出しです。</translation>
    </message>
    <message>
        <source>A field the drawing does not use.</source>
        <translation>描画には使われない入力欄です。</translation>
    </message>
    <message>
        <source>Type-1 maximum: the largest value of the first kind. The drawing does not read this field.</source>
        <translation>形式1最大値: 1つ目の形式の最大値です。描画はこの入力欄を読みません。</translation>
    </message>
    <message>
        <source>Display maximum: the largest value to show. The drawing does not read this field.</source>
        <translation>表示最大値: 表示する最大値です。描画はこの入力欄を読みません。</translation>
    </message>
    <message>
        <source>Display maximum</source>
        <translation>表示最大値</translation>
    </message>
    <message>
        <source>The label of the second field.</source>
        <translation>2つ目の入力欄の見出しです。</translation>
    </message>
    <message>
        <source>Save the Picture</source>
        <translation>画像を保存</translation>
    </message>
    <message>
        <source>PNG images (*.png)</source>
        <translation>PNG画像 (*.png)</translation>
    </message>
    <message>
        <source>Cannot Save the Picture</source>
        <translation>画像を保存できません</translation>
    </message>
    <message>
        <source>Saved %1 in %2.</source>
        <translation>%1 を %2 に保存しました。</translation>
    </message>
    <message>
        <source>Cannot Save the Dive</source>
        <translation>ダイブを保存できません</translation>
    </message>
    <message>
        <source>Cannot Copy the Picture</source>
        <translation>画像をコピーできません</translation>
    </message>
    <message>
        <source>Animated WebP (*.webp)</source>
        <translation>アニメーションWebP (*.webp)</translation>
    </message>
    <message>
        <source>MP4 video (*.mp4)</source>
        <translation>MP4 動画 (*.mp4)</translation>
    </message>
    <message>
        <source>WebM video (*.webm)</source>
        <translation>WebM 動画 (*.webm)</translation>
    </message>
    <message>
        <source>Save a Dive</source>
        <translation>ダイブを保存</translation>
    </message>
    <message>
        <source>Saving the animation…</source>
        <translation>アニメーションを保存しています…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Saving the picture…</source>
        <translation>画像を保存しています…</translation>
    </message>
    <message>
        <source>Saving the dive…</source>
        <translation>ダイブを保存しています…</translation>
    </message>
    <message>
        <source>Copying the picture…</source>
        <translation>画像をコピーしています…</translation>
    </message>
    <message>
        <source>Saving</source>
        <translation>保存中</translation>
    </message>
    <message>
        <source>Close the Window</source>
        <translation>ウィンドウを閉じる</translation>
    </message>
    <message>
        <source>A save is still running. Cancel it and close the window?</source>
        <translation>保存がまだ続いています。保存を取り消してウィンドウを閉じますか？</translation>
    </message>
    <message>
        <source>Keys</source>
        <translation>キー一覧</translation>
    </message>
</context>
<context>
    <name>levyc::PictureBox</name>
    <message>
        <source>Preparing the dive…</source>
        <translation>ダイブを準備しています…</translation>
    </message>
    <message>
        <source>Picture</source>
        <translation>画像</translation>
    </message>
    <message>
        <source>The picture: drag it, turn the wheel over it, or press F1 for the keys.</source>
        <translation>画像です。ドラッグやホイールで動かせます。キーの一覧は F1 で表示します。</translation>
    </message>
    <message>
        <source>The picture. Press Draw (描画) to draw the curves, then explore them here.</source>
        <translation>画像です。「描画」を押すと曲線を描きます。描き終えたら、ここで拡大や移動ができます。</translation>
    </message>
    <message>
        <source>The Lévy C curves drawn so far.</source>
        <translation>これまでに描いたレヴィC曲線です。</translation>
    </message>
    <message>
        <source>Zoom %1, centred on %2.</source>
        <translation>倍率 %1、中心 %2。</translation>
    </message>
    <message>
        <source>Press F1 for the keys.</source>
        <translation>F1でキー一覧を表示します。</translation>
    </message>
</context>
<context>
    <name>levyc::LimitWord</name>
    <message>
        <source>deepest</source>
        <translation>これ以上拡大できません</translation>
    </message>
    <message>
        <source>widest</source>
        <translation>これ以上縮小できません</translation>
    </message>
</context>
<context>
    <name>levyc::VideoModule</name>
    <message>
        <source>MP4 and WebM need %1, found in none of %2: reinstall levyc</source>
        <translation>MP4 と WebM には %1 が必要ですが、%2 のどこにもありません。levyc を入れ直してください</translation>
    </message>
    <message>
        <source>MP4 and WebM need %1, which is damaged (%2): reinstall levyc</source>
        <translation>MP4 と WebM には %1 が必要ですが、壊れています (%2)。levyc を入れ直してください</translation>
    </message>
    <message>
        <source>cut short</source>
        <translation>途中で切れています</translation>
    </message>
    <message>
        <source>not enough memory to load FFmpeg&apos;s libraries (%1)</source>
        <translation>FFmpeg のライブラリを読み込むメモリが足りません (%1)</translation>
    </message>
    <message>
        <source>MP4 and WebM need FFmpeg&apos;s libraries: install %1 (%2)</source>
        <translation>MP4 と WebM には FFmpeg のライブラリが必要です。%1 をインストールしてください (%2)</translation>
    </message>
    <message>
        <source>MP4 and WebM need levyc&apos;s video module, and %1 is not one: reinstall levyc</source>
        <translation>MP4 と WebM には levyc の動画モジュールが必要ですが、%1 はそうではありません。levyc を入れ直してください</translation>
    </message>
    <message>
        <source>an older version</source>
        <translation>古い版</translation>
    </message>
    <message>
        <source>MP4 and WebM need the video module of levyc %1, and %2 is of %3: reinstall levyc</source>
        <translation>MP4 と WebM には levyc %1 の動画モジュールが必要ですが、%2 は %3 のものです。levyc を入れ直してください</translation>
    </message>
</context>
<context>
    <name>levyc::SaveWork</name>
    <message>
        <source>An animated WebP dive is made whole: choose a file, not a stream.</source>
        <translation>アニメーション WebP のダイブは一括で作られます。ストリームではなくファイルを選んでください。</translation>
    </message>
    <message>
        <source>not enough memory for the picture</source>
        <translation>画像に必要なメモリが足りません</translation>
    </message>
</context>
<context>
    <name>levyc::GoToViewDialog</name>
    <message>
        <source>Go to View</source>
        <translation>ビューへ移動</translation>
    </message>
    <message>
        <source>&amp;View, as Copy View gives it: --window X1,Y1,X2,Y2 or --centre X,Y --zoom Z, with --size WxH or without</source>
        <translation>ビュー(&amp;V)、「ビューをコピー」で得られる形で: --window X1,Y1,X2,Y2 または --centre X,Y --zoom Z、--size WxH は付けても付けなくても構いません</translation>
    </message>
    <message>
        <source>Not a view: %1</source>
        <translation>ビューではありません: %1</translation>
    </message>
</context>
<context>
    <name>levyc::SharedView</name>
    <message>
        <source>the view, given the picture's shape, is too wide to draw</source>
        <translation>画像の縦横比に合わせると、ビューが広すぎて描けません</translation>
    </message>
</context>
<context>
    <name>levyc::ViewText</name>
    <message>
        <source>not a view that can be drawn: each side from %1 to %2 world units</source>
        <translation>描けるビューではありません: 各辺はワールド座標で %1 から %2 まで</translation>
    </message>
    <message>
        <source>unknown '%1': expected --window X1,Y1,X2,Y2 or --centre X,Y --zoom Z, then --size WxH</source>
        <translation>不明な '%1': --window X1,Y1,X2,Y2 または --centre X,Y --zoom Z、続けて --size WxH を指定してください</translation>
    </message>
    <message>
        <source>%1 given twice</source>
        <translation>%1 が2回指定されています</translation>
    </message>
    <message>
        <source>bad size '%1': expected WxH, each side from 1 to %2</source>
        <translation>サイズ '%1' が不正です: WxH の形で、各辺は 1 から %2 まで</translation>
    </message>
    <message>
        <source>give --window or --centre with --zoom, not both</source>
        <translation>--window か、--centre と --zoom か、どちらか一方を指定してください</translation>
    </message>
    <message>
        <source>bad window '%1': expected X1,Y1,X2,Y2</source>
        <translation>ウィンドウ '%1' が不正です: X1,Y1,X2,Y2 の形で指定してください</translation>
    </message>
    <message>
        <source>--centre needs --zoom</source>
        <translation>--centre には --zoom が必要です</translation>
    </message>
    <message>
        <source>--zoom needs --centre</source>
        <translation>--zoom には --centre が必要です</translation>
    </message>
    <message>
        <source>bad centre '%1': expected X,Y</source>
        <translation>中心 '%1' が不正です: X,Y の形で指定してください</translation>
    </message>
    <message>
        <source>bad zoom '%1': expected a number other than 0</source>
        <translation>倍率 '%1' が不正です: 0 以外の数を指定してください</translation>
    </message>
    <message>
        <source>expected --window X1,Y1,X2,Y2 or --centre X,Y --zoom Z</source>
        <translation>--window X1,Y1,X2,Y2 または --centre X,Y --zoom Z を指定してください</translation>
    </message>
</context>
<context>
    <name>levyc::DiveText</name>
    <message>
        <source>&apos;%1&apos; would hold a PNG picture, not %2: Save Dive… writes %2.</source>
        <translation>「%1」には %2 ではなく PNG 画像が保存されます。%2 は「ダイブを保存」で書き出します。</translation>
    </message>
    <message>
        <source>A dive is MP4, WebM or WebP, not PNG: &apos;%1&apos;. Save As… writes PNG.</source>
        <translation>ダイブは MP4、WebM、WebP のいずれかで、PNG にはできません:「%1」。PNG は「名前を付けて保存」で書き出します。</translation>
    </message>
    <message>
        <source>Saving the dive: frame %1 of %2</source>
        <translation>ダイブを保存中: %2 フレーム中 %1</translation>
    </message>
    <message>
        <source>%1, about %2 left</source>
        <translation>%1、残り約 %2</translation>
    </message>
    <message>
        <source>Type a length from %1 to %2 s.</source>
        <translation>長さは %1 から %2 秒までの値を入力してください。</translation>
    </message>
    <message>
        <source>Type from 1 to %1 frames a second.</source>
        <translation>毎秒のフレーム数は 1 から %1 までの値を入力してください。</translation>
    </message>
    <message>
        <source>Type a quality from 0 to %1.</source>
        <translation>画質は 0 から %1 までの値を入力してください。</translation>
    </message>
    <message>
        <source>On its way the dive would zoom out to a view %1 by %2 world units, more than %3: choose views nearer each other.</source>
        <translation>ダイブは途中で %1 × %2 (ワールド単位) の表示まで縮小することになり、%3 を超えます。互いに近い表示を選んでください。</translation>
    </message>
    <message>
        <source>Fewer than %1 frames: make the dive longer or its frames more.</source>
        <translation>フレームが %1 枚未満です。ダイブを長くするか、毎秒のフレーム数を増やしてください。</translation>
    </message>
    <message>
        <source>Type the size as WxH, such as 640x360, each side from 1 to %1.</source>
        <translation>サイズは 640x360 のように 幅x高さ で入力してください。各辺は 1 から %1 までです。</translation>
    </message>
    <message>
        <source>Too large for this format: at most %1 wide at that height, %2 high at that width.</source>
        <translation>この形式には大きすぎます。この高さでは幅 %1 まで、この幅では高さ %2 までです。</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 秒</translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation>%1 分 %2 秒</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 時間 %2 分</translation>
    </message>
    <message>
        <source>%1 frames at %2: measuring what they cost…</source>
        <translation>%2 で %1 フレーム: かかる時間とサイズを測っています…</translation>
    </message>
    <message>
        <source>%1 frames at %2: what they cost cannot be measured: %3</source>
        <translation>%2 で %1 フレーム: かかる時間とサイズを測れません: %3</translation>
    </message>
    <message>
        <source>%1 frames at %2: about %3 of work and %4.</source>
        <translation>%2 で %1 フレーム: 作成に約 %3、ファイルは約 %4 です。</translation>
    </message>
</context>
<context>
    <name>levyc::DiveDialog</name>
    <message>
        <source>The film lasts %1 s and passes %2 views.</source>
        <translation>動画は %1 秒で、%2 つのビューを通ります。</translation>
    </message>
    <message>
        <source>Views:</source>
        <translation>ビュー:</translation>
    </message>
    <message>
        <source>Shape the Dive</source>
        <translation>ダイブの設定</translation>
    </message>
    <message>
        <source>&amp;Length:</source>
        <translation>長さ(&amp;L):</translation>
    </message>
    <message>
        <source>&amp;Frames a second:</source>
        <translation>毎秒のフレーム数(&amp;F):</translation>
    </message>
    <message>
        <source>S&amp;ize:</source>
        <translation>サイズ(&amp;I):</translation>
    </message>
    <message>
        <source>F&amp;ormat:</source>
        <translation>形式(&amp;O):</translation>
    </message>
    <message>
        <source>&amp;Quality:</source>
        <translation>画質(&amp;Q):</translation>
    </message>
    <message>
        <source> s</source>
        <translation> 秒</translation>
    </message>
    <message>
        <source>the picture's, %1</source>
        <translation>画像の大きさ、%1</translation>
    </message>
    <message>
        <source>Choose a size, or type one as WxH.</source>
        <translation>サイズを選ぶか、幅x高さ で入力してください。</translation>
    </message>
    <message>
        <source>MP4 video (H.264)</source>
        <translation>MP4 動画 (H.264)</translation>
    </message>
    <message>
        <source>WebM video (VP9)</source>
        <translation>WebM 動画 (VP9)</translation>
    </message>
    <message>
        <source>Animated WebP (lossless, for short dives)</source>
        <translation>アニメーション WebP (可逆圧縮、短いダイブ向け)</translation>
    </message>
    <message>
        <source>Animated WebP only. %1</source>
        <translation>アニメーション WebP のみ。%1</translation>
    </message>
    <message>
        <source>0 to %1: higher is sharper and larger. A WebP dive is lossless and ignores it.</source>
        <translation>0 から %1 まで: 高いほど鮮明で大きくなります。WebP のダイブは可逆圧縮のため使いません。</translation>
    </message>
    <message>
        <source>&amp;Save…</source>
        <translation>保存(&amp;S)…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>再生(&amp;P)</translation>
    </message>
    <message>
        <source>Plays the dive in the picture, at its size; any key stops it.</source>
        <translation>ダイブを画像の中に、その大きさで再生します。どれかのキーで停止します。</translation>
    </message>
</context>
<context>
    <name>levyc::PictureActions</name>
    <message>
        <source>Op&amp;en View…</source>
        <translation>表示を開く(&amp;E)…</translation>
    </message>
    <message>
        <source>&amp;Add Bookmark</source>
        <translation>ブックマークに追加(&amp;A)</translation>
    </message>
    <message>
        <source>Book&amp;marks…</source>
        <translation>ブックマーク(&amp;M)…</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>コピー(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Save As…</source>
        <translation>名前を付けて保存(&amp;S)…</translation>
    </message>
    <message>
        <source>Save &amp;Dive…</source>
        <translation>ダイブを保存(&amp;D)…</translation>
    </message>
    <message>
        <source>&amp;Play Dive</source>
        <translation>ダイブを再生(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Reset View</source>
        <translation>表示をリセット(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>戻る(&amp;B)</translation>
    </message>
    <message>
        <source>&amp;Forward</source>
        <translation>進む(&amp;F)</translation>
    </message>
    <message>
        <source>Copy &amp;View</source>
        <translation>ビューをコピー(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Go to View…</source>
        <translation>ビューへ移動(&amp;G)…</translation>
    </message>
    <message>
        <source>F&amp;ull Screen</source>
        <translation>全画面表示(&amp;U)</translation>
    </message>
    <message>
        <source>Show &amp;Where You Are</source>
        <translation>現在地を表示(&amp;W)</translation>
    </message>
    <message>
        <source>Show &amp;Overview</source>
        <translation>全体図を表示(&amp;O)</translation>
    </message>
    <message>
        <source>&amp;Keys…</source>
        <translation>キー一覧(&amp;K)…</translation>
    </message>
</context>
<context>
    <name>levyc::ExploringKeys</name>
    <message>
        <source>%1, or a PNG dropped on the window: open the view it holds</source>
        <translation>%1、またはウィンドウに PNG をドロップ: その PNG の表示を開く</translation>
    </message>
    <message>
        <source>%1: keep the view as a bookmark; %2: the bookmarks</source>
        <translation>%1: この表示をブックマークに追加、%2: ブックマーク一覧</translation>
    </message>
    <message>
        <source>Wheel, %1 or %2: zoom in or out</source>
        <translation>ホイール、%1、%2: 拡大・縮小</translation>
    </message>
    <message>
        <source>Drag, or the arrow keys on the picture: move the view</source>
        <translation>ドラッグ、または画像上で矢印キー: 表示を移動</translation>
    </message>
    <message>
        <source>Shift+drag: zoom to a box; Esc cancels it</source>
        <translation>Shift+ドラッグ: 囲んだ範囲を拡大(Escで取り消し)</translation>
    </message>
    <message>
        <source>Double-click: zoom in twice as close</source>
        <translation>ダブルクリック: 2倍に拡大</translation>
    </message>
    <message>
        <source>%1: back to the Draw&apos;s view</source>
        <translation>%1: 描画したときの表示に戻る</translation>
    </message>
    <message>
        <source>%1: back; %2: forward</source>
        <translation>%1: 戻る、%2: 進む</translation>
    </message>
    <message>
        <source>%1 or %2</source>
        <translation>%1または%2</translation>
    </message>
    <message>
        <source>%1: show or hide where you are</source>
        <translation>%1: 現在地の表示・非表示</translation>
    </message>
    <message>
        <source>%1: show or hide the overview; a click on it goes there</source>
        <translation>%1: 全体図の表示・非表示(クリックでその場所へ)</translation>
    </message>
    <message>
        <source>%1: go to a view</source>
        <translation>%1: 指定した表示へ移動</translation>
    </message>
    <message>
        <source>%1: full screen; %1 or Esc: back</source>
        <translation>%1: 全画面表示(%1またはEscで元に戻る)</translation>
    </message>
    <message>
        <source>%1: play the dive Save Dive… would save; any key stops it</source>
        <translation>%1: 「ダイブを保存…」が保存するダイブを再生(どれかのキーで停止)</translation>
    </message>
    <message>
        <source>%1: copy the picture; %2: save it</source>
        <translation>%1: 画像をコピー、%2: 保存</translation>
    </message>
    <message>
        <source>Right-click: more; %1: these keys</source>
        <translation>右クリック: その他の操作、%1: このキー一覧</translation>
    </message>
</context>
<context>
    <name>levyc::BookmarksDialog</name>
    <message>
        <source>Bookmarks</source>
        <translation>ブックマーク</translation>
    </message>
    <message>
        <source>&amp;Go to</source>
        <translation>移動(&amp;G)</translation>
    </message>
    <message>
        <source>&amp;Rename</source>
        <translation>名前の変更(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>削除(&amp;D)</translation>
    </message>
    <message>
        <source>Move &amp;Up</source>
        <translation>上へ(&amp;U)</translation>
    </message>
    <message>
        <source>Move Do&amp;wn</source>
        <translation>下へ(&amp;W)</translation>
    </message>
    <message>
        <source>&amp;Export…</source>
        <translation>書き出し(&amp;E)…</translation>
    </message>
    <message>
        <source>&amp;Import…</source>
        <translation>読み込み(&amp;I)…</translation>
    </message>
    <message>
        <source>Export the Bookmarks</source>
        <translation>ブックマークの書き出し</translation>
    </message>
    <message>
        <source>Import Bookmarks</source>
        <translation>ブックマークの読み込み</translation>
    </message>
    <message>
        <source>Views, one a line (*.txt)</source>
        <translation>1 行に 1 つの表示 (*.txt)</translation>
    </message>
    <message>
        <source>Views, one a line (*.txt);;Any file (*)</source>
        <translation>1 行に 1 つの表示 (*.txt);;すべてのファイル (*)</translation>
    </message>
</context>
<context>
    <name>levyc::BookmarkStore</name>
    <message>
        <source>not UTF-8 text</source>
        <translation>UTF-8 のテキストではありません</translation>
    </message>
    <message>
        <source>The bookmarks in %1 cannot be read (%2), nor moved aside: they are left as they are, and new bookmarks are not kept.</source>
        <translation>%1 のブックマークを読めず (%2)、別名に移すこともできません。ファイルはそのまま残し、新しいブックマークは保存しません。</translation>
    </message>
    <message>
        <source>The bookmarks in %1 cannot be read (%2): the file is kept as %3, and the list starts empty.</source>
        <translation>%1 のブックマークを読めません (%2)。ファイルは %3 として残し、一覧は空から始めます。</translation>
    </message>
    <message>
        <source>the bookmarks file %1 could not be read, and is not overwritten</source>
        <translation>ブックマークのファイル %1 は読めなかったため、上書きしません</translation>
    </message>
    <message>
        <source>cannot make the folder %1</source>
        <translation>フォルダー %1 を作れません</translation>
    </message>
</context>
<context>
    <name>levyc::ViewList</name>
    <message>
        <source>--hold given twice</source>
        <translation>--hold が 2 回指定されています</translation>
    </message>
    <message>
        <source>bad hold &apos;%1&apos;: expected seconds from 0 to %2</source>
        <translation>保持時間「%1」が不正です: 0 から %2 までの秒数を指定してください</translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation>%1 行目: %2</translation>
    </message>
</context>
<context>
    <name>levyc::PngView</name>
    <message>
        <source>&apos;%1&apos; is not a PNG image that can be read: %2</source>
        <translation>「%1」は読み込める PNG 画像ではありません: %2</translation>
    </message>
    <message>
        <source>&apos;%1&apos; holds no view: only a PNG saved or copied from a view, or made by levyc-render with --window or --centre, does</source>
        <translation>「%1」には表示が含まれていません。表示から保存またはコピーした PNG か、levyc-render で --window または --centre を指定して作った PNG だけが含みます</translation>
    </message>
</context>
<context>
    <name>levyc::KeyframeList</name>
    <message>
        <source>the Draw&apos;s view</source>
        <translation>描画のビュー</translation>
    </message>
    <message>
        <source>Loa&amp;d List…</source>
        <translation>一覧を読み込む(&amp;D)…</translation>
    </message>
    <message>
        <source>Sa&amp;ve List…</source>
        <translation>一覧を保存(&amp;V)…</translation>
    </message>
    <message>
        <source>How long the film stays on the view selected, added to its length.</source>
        <translation>選んだビューに動画が止まる時間。長さに加わります。</translation>
    </message>
    <message>
        <source> s</source>
        <translation> 秒</translation>
    </message>
    <message>
        <source>&amp;Hold:</source>
        <translation>停止(&amp;H):</translation>
    </message>
    <message>
        <source>Move Do&amp;wn</source>
        <translation>下へ(&amp;W)</translation>
    </message>
    <message>
        <source>Move &amp;Up</source>
        <translation>上へ(&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>削除(&amp;R)</translation>
    </message>
    <message>
        <source>Adds a view after the one selected.</source>
        <translation>選んだビューの後にビューを追加します。</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>追加(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;All the views I visited, in order</source>
        <translation>訪れたすべてのビューを順に(&amp;A)</translation>
    </message>
    <message>
        <source>A view I &amp;visited</source>
        <translation>訪れたビュー(&amp;V)</translation>
    </message>
    <message>
        <source>A &amp;bookmark</source>
        <translation>ブックマーク(&amp;B)</translation>
    </message>
    <message>
        <source>The &amp;Draw&apos;s view</source>
        <translation>描画のビュー(&amp;D)</translation>
    </message>
    <message>
        <source>The view on &amp;screen</source>
        <translation>画面のビュー(&amp;S)</translation>
    </message>
    <message>
        <source>A film needs two views at least: where it starts and where it ends.</source>
        <translation>動画には少なくとも 2 つのビュー（始まりと終わり）が必要です。</translation>
    </message>
    <message>
        <source>Views, one a line (*.txt);;Any file (*)</source>
        <translation>ビュー、1 行に 1 つ (*.txt);;すべてのファイル (*)</translation>
    </message>
    <message>
        <source>Load a Film&apos;s Views</source>
        <translation>動画のビューを読み込む</translation>
    </message>
    <message>
        <source>Views, one a line (*.txt)</source>
        <translation>ビュー、1 行に 1 つ (*.txt)</translation>
    </message>
    <message>
        <source>Save the Film&apos;s Views</source>
        <translation>動画のビューを保存</translation>
    </message>
    <message>
        <source>(empty: shows nothing at the film&apos;s size)</source>
        <translation>（空: 動画の大きさでは何も映りません）</translation>
    </message>
    <message>
        <source>holds %1 s</source>
        <translation>%1 秒止まる</translation>
    </message>
    <message>
        <source>Passes %1</source>
        <translation>経由: %1</translation>
    </message>
    <message>
        <source>Ends at %1</source>
        <translation>終わり: %1</translation>
    </message>
    <message>
        <source>Starts at %1</source>
        <translation>始まり: %1</translation>
    </message>
    <message>
        <source>zoom %1 at %2, %3</source>
        <translation>倍率 %1、中心 %2, %3</translation>
    </message>
</context>
</TS>
