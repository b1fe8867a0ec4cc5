<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>GuideText</name>
    <message>
        <source>Operation guide</source>
        <translation>操作指南</translation>
    </message>
    <message>
        <source>Next page</source>
        <translation>下一页</translation>
    </message>
    <message>
        <source>中文</source>
        <comment>the language the button switches to, in that language</comment>
        <translation>English</translation>
    </message>
    <message>
        <source>Click</source>
        <translation>点击小图标</translation>
    </message>
    <message>
        <source>1. Open the scanned picture of the board</source>
        <translation>1、打开扫描获得的印刷板的图文件</translation>
    </message>
    <message>
        <source>File, Open (Ctrl+O), or drop the file on the window: BMP, PNG, JPEG, TIFF, WebP or PNM.</source>
        <translation>从主菜单 File 中选择 Open（Ctrl+O），或把文件拖到窗口上：BMP、PNG、JPEG、TIFF、WebP 或 PNM。</translation>
    </message>
    <message>
        <source>2. Parameters and scan resolution</source>
        <translation>2、参数设置和扫描分辨率</translation>
    </message>
    <message>
        <source>to set the pad size, the line width, the current layer and the scan lines,</source>
        <translation>，设置焊盘大小、线宽、当前层和扫描线数，</translation>
    </message>
    <message>
        <source>the dots per inch of the scan, from which sizes and coordinates in mil follow.</source>
        <translation>即扫描的每英寸点数；以 mil 为单位的尺寸和坐标都由它算出。</translation>
    </message>
    <message>
        <source>and click the two ends of a distance you know to measure the scan lines.</source>
        <translation>，再点击一段已知长度的两端，测出扫描线数。</translation>
    </message>
    <message>
        <source>3. Layer colours</source>
        <translation>3、颜色设置</translation>
    </message>
    <message>
        <source>to choose the line colour of the current layer.</source>
        <translation>，设置当前层的线条颜色。</translation>
    </message>
    <message>
        <source>4. Draw tracks</source>
        <translation>4、画线</translation>
    </message>
    <message>
        <source>to draw tracks: the cursor becomes a cross; draw them with the mouse,</source>
        <translation>，进入画线状态，光标变为十字形，用鼠标画线；</translation>
    </message>
    <message>
        <source>Backspace takes back the last segment. View, Track Mode switches between tracks at</source>
        <translation>退格键撤回最后一段。主菜单 View 中的 Track Mode 在 45 度走线</translation>
    </message>
    <message>
        <source>45 degrees and tracks at any angle.</source>
        <translation>和任意角度走线之间切换。</translation>
    </message>
    <message>
        <source>5. Draw pads</source>
        <translation>5、画焊盘</translation>
    </message>
    <message>
        <source>to draw pads: the cursor becomes an arrow; each left click draws one pad.</source>
        <translation>，进入画焊盘状态，光标变为箭头，每单击一次左键画一个焊盘。</translation>
    </message>
    <message>
        <source>6. Move tracks and pads (Move Status, Ctrl+M)</source>
        <translation>6、移动某线条或焊盘（移动状态 Move Status，Ctrl+M）</translation>
    </message>
    <message>
        <source>In Edit, Move Status (Ctrl+M), drag a track or pad with the left button; a right click during</source>
        <translation>在 Edit 菜单的 Move Status（Ctrl+M）状态下，用鼠标左键拖动线条或焊盘，拖动时</translation>
    </message>
    <message>
        <source>the drag cancels it. Or put the pointer on it and move it with the arrow keys: in the middle</source>
        <translation>单击右键可取消；或者将光标放在线条或焊盘上，用方向键移动：光标在线条中部时</translation>
    </message>
    <message>
        <source>of a track the whole track moves, otherwise its nearest end, or the pad, moves.</source>
        <translation>整条线移动，否则移动最近的端点或焊盘。</translation>
    </message>
    <message>
        <source>7. Select-all mode: move, turn and mirror the whole tracing</source>
        <translation>7、全选状态：移动、旋转和镜像整个PCB线路图</translation>
    </message>
    <message>
        <source>Edit, Select All (Ctrl+A): the arrow keys move everything one step, 2, 4, 6 and 8 ten steps;</source>
        <translation>用 Edit 菜单中的 Select All 或按 Ctrl+A 选中全部；方向键每次移动一步，数字键 2、4、6、8 每次移动十步；</translation>
    </message>
    <message>
        <source>Enter or Space turns it, X and Y mirror it about the X or Y axis; Escape ends the mode.</source>
        <translation>回车键或空格键旋转；X 键和 Y 键关于 X 轴或 Y 轴作镜像；Esc 键退出全选状态。</translation>
    </message>
    <message>
        <source>8. Place components</source>
        <translation>8、放置元器件</translation>
    </message>
    <message>
        <source>to place component marks: each left click places one.</source>
        <translation>，进入放置元器件状态，每单击一次左键放置一个元器件。</translation>
    </message>
    <message>
        <source>9. Open and save the work file</source>
        <translation>9、打开、保存当前的工作</translation>
    </message>
    <message>
        <source>to open and save the work file (.dpb) with pads and tracks, to go on later.</source>
        <translation>，分别打开和保存存有焊盘和线条的工作文件（.dpb），以便以后继续编辑。</translation>
    </message>
    <message>
        <source>10. Import and export Protel PCB files</source>
        <translation>10、调入、保存 Protel PCB 文件</translation>
    </message>
    <message>
        <source>to import a Protel PCB file, or to export the tracing as one (Ctrl+P).</source>
        <translation>，分别调入已有的 Protel PCB 文件，或把所画的线路图保存为 PCB 文件（Ctrl+P）。</translation>
    </message>
    <message>
        <source>11. Layers and their visibility</source>
        <translation>11、层和层的显示</translation>
    </message>
    <message>
        <source>12. Zoom and pan</source>
        <translation>12、缩放和平移</translation>
    </message>
    <message>
        <source>13. Undo, delete and snap</source>
        <translation>13、撤销、删除和对齐焊盘</translation>
    </message>
    <message>
        <source>14. Sizes of pads and tracks</source>
        <translation>14、焊盘和线条的尺寸</translation>
    </message>
    <message>
        <source>Alt+Return sets the size of the pad or track under the pointer (in select-all mode, of all);</source>
        <translation>Alt+回车键设置光标下焊盘或线条的尺寸（全选状态下设置全部对象的尺寸）；</translation>
    </message>
    <message>
        <source>I takes its size for new objects. View, Show Real Sizes draws each at its own size.</source>
        <translation>I 键把它的尺寸用于新对象。主菜单 View 中的 Show Real Sizes 按各自的实际尺寸显示。</translation>
    </message>
    <message>
        <source>15. Coordinate units</source>
        <translation>15、改变坐标显示模式</translation>
    </message>
    <message>
        <source>View, Toggle Units switches the coordinates at the bottom of the window between mil and mm.</source>
        <translation>主菜单 View 中的 Toggle Units 使窗口底部显示的坐标在 mil 和 mm 之间切换。</translation>
    </message>
    <message>
        <source>New tracks go on the current layer (item 2); View, Toggle Layers shows or hides each layer.</source>
        <translation>新画的线条放在当前层上（见第 2 项）；主菜单 View 中的 Toggle Layers 显示或隐藏每一层。</translation>
    </message>
    <message>
        <source>Page Up, Page Down and Ctrl+wheel zoom at the pointer, Home fits the scan, Ctrl+1 is 1:1;</source>
        <translation>Page Up、Page Down 和 Ctrl+滚轮以光标处为中心缩放，Home 显示整张扫描图，Ctrl+1 为 1:1；</translation>
    </message>
    <message>
        <source>drag with the middle button or with Space held to pan. View, Navigator shows the whole scan.</source>
        <translation>按住中键或空格键拖动即可平移。主菜单 View 中的 Navigator 显示整张扫描图的缩略图。</translation>
    </message>
    <message>
        <source>Ctrl+Z undoes, Ctrl+Y redoes, Delete removes what is under the pointer; View, Snap to Pads.</source>
        <translation>Ctrl+Z 撤销，Ctrl+Y 重做，Delete 删除光标下的对象；View 中的 Snap to Pads 使端点对齐焊盘。</translation>
    </message>
    <message>
        <source>16. The other side of the board and the project</source>
        <translation>16、电路板的另一面和项目文件</translation>
    </message>
    <message>
        <source>File, Open Other Side loads the bottom scan; Register Other Side matches clicked pairs of points.</source>
        <translation>File 中的 Open Other Side 载入底面扫描图；Register Other Side 用成对点击的对应点对齐两面。</translation>
    </message>
    <message>
        <source>Tab shows the other side, Shift+X blends it in ([ and ] set how much); Save Project keeps both.</source>
        <translation>Tab 键显示另一面，Shift+X 叠加显示（[ 和 ] 调节程度）；Save Project 保存两面。</translation>
    </message>
</context>
</TS>
