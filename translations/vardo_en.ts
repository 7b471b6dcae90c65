<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>vardo</name>
    <message>
        <source>提示...</source>
        <translation>Note...</translation>
    </message>
    <message>
        <source>未知文件格式！</source>
        <translation>Unknown file format!</translation>
    </message>
    <message>
        <source>该文件已经损坏！</source>
        <translation>The file is damaged!</translation>
    </message>
    <message>
        <source>打开文件失败！</source>
        <translation>Failed to open the file!</translation>
    </message>
    <message>
        <source>打开历史数据</source>
        <translation>Open History Data</translation>
    </message>
    <message>
        <source>实时曲线</source>
        <translation>Live Curves</translation>
    </message>
    <message>
        <source>打开串口失败！</source>
        <translation>Failed to open the serial port!</translation>
    </message>
    <message>
        <source>通讯失败！</source>
        <translation>Communication failed!</translation>
    </message>
    <message>
        <source>请确认 开始时间 &lt; 结束时间</source>
        <translation>Please make sure that start time &lt; end time</translation>
    </message>
    <message>
        <source>开始时间 超出范围</source>
        <translation>Start time out of range</translation>
    </message>
    <message>
        <source>结束时间 超出范围</source>
        <translation>End time out of range</translation>
    </message>
    <message>
        <source>文件建立失败！</source>
        <translation>Failed to create the file!</translation>
    </message>
    <message>
        <source>上传完毕</source>
        <translation>Upload complete</translation>
    </message>
    <message>
        <source>通讯设置</source>
        <translation>Communication Settings</translation>
    </message>
    <message>
        <source>记录仪类型：</source>
        <translation>Model:</translation>
    </message>
    <message>
        <source>记录仪地址：</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>串口：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>波特率：</source>
        <translation>Baud rate:</translation>
    </message>
    <message>
        <source>采样时间：</source>
        <translation>Sampling:</translation>
    </message>
    <message>
        <source>保存数据</source>
        <translation>Save data</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>设备：</source>
        <translation>Device:</translation>
    </message>
    <message>
        <source>串口名称最多5个字符，例如 COM1。</source>
        <translation>A port name has at most 5 characters, e.g. COM1.</translation>
    </message>
    <message>
        <source>无法写入设置文件 %s，设置未保存。</source>
        <translation>Cannot write the settings file %s; the settings were not saved.</translation>
    </message>
    <message>
        <source>串口上传数据</source>
        <translation>Serial Upload</translation>
    </message>
    <message>
        <source>时间范围：%d-%02d-%02d %02d:%02d:%02d =&gt; %d-%02d-%02d %02d:%02d:%02d</source>
        <translation>Time range: %d-%02d-%02d %02d:%02d:%02d =&gt; %d-%02d-%02d %02d:%02d:%02d</translation>
    </message>
    <message>
        <source>上传通道</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>通道%d</source>
        <translation>Ch %d</translation>
    </message>
    <message>
        <source>仪表类型</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>上传所有数据</source>
        <translation>Upload all data</translation>
    </message>
    <message>
        <source>时间设定</source>
        <translation>Time span</translation>
    </message>
    <message>
        <source>开始时间</source>
        <translation>Start time</translation>
    </message>
    <message>
        <source>上传</source>
        <translation>Upload</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>采集设置</source>
        <translation>Collection Settings</translation>
    </message>
    <message>
        <source>立即采集</source>
        <translation>Collect Now</translation>
    </message>
    <message>
        <source>名称	端口	地址	仪表类型	站点</source>
        <translation>Name	Port	Address	Model	Site</translation>
    </message>
    <message>
        <source>%s	新增 %lld	%s</source>
        <translation>%s	added %lld	%s</translation>
    </message>
    <message>
        <source>仪表已覆盖 %lld 条记录，丢失 %s 至 %s</source>
        <translation>the recorder overwrote %lld records, lost %s to %s</translation>
    </message>
    <message>
        <source>仪表时钟比本机快 %lld 秒</source>
        <translation>the recorder's clock is %lld s ahead of this computer's</translation>
    </message>
    <message>
        <source>仪表时钟比本机慢 %lld 秒</source>
        <translation>the recorder's clock is %lld s behind this computer's</translation>
    </message>
    <message>
        <source>读不出仪表时钟</source>
        <translation>cannot read the recorder's clock</translation>
    </message>
    <message>
        <source>档案库已有晚于仪表最新记录的记录，本次无新记录</source>
        <translation>the archive holds records later than the recorder's newest; nothing new this time</translation>
    </message>
    <message>
        <source>串口被其他程序占用</source>
        <translation>the port is in use by another program</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>stopped</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>地址</source>
        <translation>Addr.</translation>
    </message>
    <message>
        <source>站点</source>
        <translation>Site</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>进度</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>新增</source>
        <translation>Added</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>默认</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>测试</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>正在读取仪表…</source>
        <translation>Reading the recorder…</translation>
    </message>
    <message>
        <source>请输入名称和端口，名称不能含有 [ ]。</source>
        <translation>Please enter a name and a port; a name cannot contain [ ].</translation>
    </message>
    <message>
        <source>已有名为 %s 的仪表。</source>
        <translation>There is already a recorder named %s.</translation>
    </message>
    <message>
        <source>时间范围：%s =&gt; %s
记录间隔：%d秒  通道数：%d
仪表时钟：%s</source>
        <translation>Time range: %s =&gt; %s
Record interval: %d s  Channels: %d
Recorder clock: %s</translation>
    </message>
    <message>
        <source>无新记录</source>
        <translation>nothing new</translation>
    </message>
    <message>
        <source>等待</source>
        <translation>waiting</translation>
    </message>
    <message>
        <source>与 %s 的站点、地址和仪表类型相同，档案库无法区分</source>
        <translation>same site, address and model as %s: the archive cannot tell them apart</translation>
    </message>
    <message>
        <source>请输入一个整数。</source>
        <translation>Please enter an integer.</translation>
    </message>
    <message>
        <source>请输入一个在 %d 和 %d 之间的整数。</source>
        <translation>Please enter an integer between %d and %d.</translation>
    </message>
    <message>
        <source>范围设定</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>时间范围：</source>
        <translation>Time range:</translation>
    </message>
    <message>
        <source>开始时间：</source>
        <translation>Start:</translation>
    </message>
    <message>
        <source>结束时间：</source>
        <translation>End:</translation>
    </message>
    <message>
        <source>间隔：</source>
        <translation>Step:</translation>
    </message>
    <message>
        <source>记录间隔</source>
        <translation>Record interval</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>定位查询</source>
        <translation>Go to Time</translation>
    </message>
    <message>
        <source>起始时间</source>
        <translation>Start time</translation>
    </message>
    <message>
        <source>结束时间</source>
        <translation>End time</translation>
    </message>
    <message>
        <source>查询时间</source>
        <translation>Go to</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>Go</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>时间超出查询范围，请重新输入。</source>
        <translation>The time is outside the range; please enter another.</translation>
    </message>
    <message>
        <source>上传CF卡文件</source>
        <translation>Upload CF Card Files</translation>
    </message>
    <message>
        <source>盘符</source>
        <translation>Drive</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>通道数</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>%d秒</source>
        <translation>%d s</translation>
    </message>
    <message>
        <source>检测CF卡</source>
        <translation>Detect card</translation>
    </message>
    <message>
        <source>保存文件...</source>
        <translation>Save file...</translation>
    </message>
    <message>
        <source>检测CF卡失败，请检查CF是否连接正确！</source>
        <translation>Could not detect the CF card; please check that it is connected!</translation>
    </message>
    <message>
        <source>CF卡备份文件有误，请重新备份！</source>
        <translation>The backup files on the CF card are faulty; please back up again!</translation>
    </message>
    <message>
        <source>请选择列表中需要上传的文件！</source>
        <translation>Please select the files to upload in the list!</translation>
    </message>
    <message>
        <source>扇区损坏！</source>
        <translation>Damaged sector!</translation>
    </message>
    <message>
        <source>该文件不存在！</source>
        <translation>The file does not exist!</translation>
    </message>
    <message>
        <source>建立文件失败！</source>
        <translation>Failed to create the file!</translation>
    </message>
    <message>
        <source>文件上传完成！</source>
        <translation>Files uploaded!</translation>
    </message>
    <message>
        <source>文件浏览</source>
        <translation>Browse Files</translation>
    </message>
    <message>
        <source>浏览</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>请选择所在的根目录</source>
        <translation>Choose the folder of the files</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>内码转换</source>
        <translation>Code Lookup</translation>
    </message>
    <message>
        <source>汉字：</source>
        <translation>Character:</translation>
    </message>
    <message>
        <source>码：</source>
        <translation>Code:</translation>
    </message>
    <message>
        <source>没有要查的汉字</source>
        <translation>no character to look up</translation>
    </message>
    <message>
        <source>文字不是UTF-8编码</source>
        <translation>the text is not UTF-8</translation>
    </message>
    <message>
        <source>该字符没有GBK内码</source>
        <translation>the character has no GBK code</translation>
    </message>
    <message>
        <source>码必须是2位或4位</source>
        <translation>a code has 2 or 4 hex digits</translation>
    </message>
    <message>
        <source>码的第一个字节不能是0</source>
        <translation>the first byte of a code cannot be 0</translation>
    </message>
    <message>
        <source>该码不是GBK字符</source>
        <translation>the code is not a GBK character</translation>
    </message>
    <message>
        <source>串口被占用</source>
        <translation>The serial port is in use</translation>
    </message>
    <message>
        <source>初始化失败，请检查通讯是否正常！</source>
        <translation>Initialisation failed; please check the communication!</translation>
    </message>
    <message>
        <source>读取组态参数...</source>
        <translation>Reading the configuration...</translation>
    </message>
    <message>
        <source>读取组态参数 : 通道 %d</source>
        <translation>Reading the configuration : channel %d</translation>
    </message>
    <message>
        <source>分配存储空间...</source>
        <translation>Allocating storage...</translation>
    </message>
    <message>
        <source>设置文件中的记录仪类型 (JlyIndex 0..7) 或采样时间 (Interval 0..8) 超出范围。</source>
        <translation>The model (JlyIndex 0..7) or the sampling time (Interval 0..8) in the settings file is out of range.</translation>
    </message>
    <message>
        <source>实时数据写入失败，已停止保存。已保存的数据保留在：
%s</source>
        <translation>Writing the live data failed; saving has stopped. The data saved so far is in:
%s</translation>
    </message>
    <message>
        <source>中断的实时保存，已按最新记录改名为 %s</source>
        <translation>interrupted live save, renamed by its newest record to %s</translation>
    </message>
    <message>
        <source>中断的实时保存，没有记录，已删除</source>
        <translation>interrupted live save without records, removed</translation>
    </message>
    <message>
        <source>中断的实时保存，无法改名（%s），保留原名</source>
        <translation>interrupted live save, cannot be renamed (%s), name kept</translation>
    </message>
    <message>
        <source>没有打开 %s 的权限：请把用户加入 %s 组（sudo usermod -aG %s $USER），重新登录后再试。</source>
        <translation>No permission to open %s: add your user to the group %s (sudo usermod -aG %s $USER), log in again and retry.</translation>
    </message>
    <message>
        <source>设置文件大于 %d MB，已忽略：各项设置取默认值，更改不会保存。</source>
        <translation>The settings file is larger than %d MB and was ignored: every setting takes its default, and changes are not saved.</translation>
    </message>
    <message>
        <source>编号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>档案库中没有仪表 %s 的记录</source>
        <translation>the archive has no records of recorder %s</translation>
    </message>
    <message>
        <source>仪表地址 </source>
        <translation>Recorder address </translation>
    </message>
    <message>
        <source> 有多种仪表类型：</source>
        <translation> has several models: </translation>
    </message>
    <message>
        <source>，请用 --recorder </source>
        <translation>; use --recorder </translation>
    </message>
    <message>
        <source>:型号 指定</source>
        <translation>:MODEL to choose</translation>
    </message>
    <message>
        <source>列	开始时间	结束时间</source>
        <translation>Column	Start time	End time</translation>
    </message>
    <message>
        <source>通道%d最小</source>
        <translation>Ch %d min</translation>
    </message>
    <message>
        <source>通道%d最大</source>
        <translation>Ch %d max</translation>
    </message>
    <message>
        <source>数据读取中...</source>
        <translation>Reading data...</translation>
    </message>
    <message>
        <source>%d 个记录间隔</source>
        <translation>%d × interval</translation>
    </message>
    <message>
        <source>打印文件:</source>
        <translation>File:</translation>
    </message>
    <message>
        <source>打印时间：</source>
        <translation>Printed: </translation>
    </message>
    <message>
        <source>Excel 导出</source>
        <translation>Excel Export</translation>
    </message>
    <message>
        <source>Excel 导出历史数据</source>
        <translation>Export History Data</translation>
    </message>
    <message>
        <source>建立文件失败，可能缺少Excel驱动!</source>
        <translation>Failed to create the file; the Excel driver may be missing!</translation>
    </message>
    <message>
        <source>输出完成！</source>
        <translation>Export complete!</translation>
    </message>
    <message>
        <source>%1 已经存在。
要替换它吗?</source>
        <translation>%1 already exists.
Do you want to replace it?</translation>
    </message>
    <message>
        <source>导出...</source>
        <translation>Export...</translation>
    </message>
    <message>
        <source>排序：</source>
        <translation>Order:</translation>
    </message>
    <message>
        <source>倒序</source>
        <translation>Newest</translation>
    </message>
    <message>
        <source>顺序</source>
        <translation>Oldest</translation>
    </message>
    <message>
        <source>文件名：</source>
        <translation>File name: </translation>
    </message>
    <message>
        <source>&#xd;
&#xd;
仪表类型：</source>
        <translation>&#xd;
&#xd;
Model: </translation>
    </message>
    <message>
        <source>&#xd;
&#xd;
通道数：</source>
        <translation>&#xd;
&#xd;
Channels: </translation>
    </message>
    <message>
        <source>&#xd;
&#xd;
记录间隔：</source>
        <translation>&#xd;
&#xd;
Record interval: </translation>
    </message>
    <message>
        <source>&#xd;
&#xd;
开始时间：</source>
        <translation>&#xd;
&#xd;
Start: </translation>
    </message>
    <message>
        <source>%d年%02d月%02d日 %02d时%02d分%02d秒</source>
        <translation>%d-%02d-%02d %02d:%02d:%02d</translation>
    </message>
    <message>
        <source>&#xd;
结束时间：</source>
        <translation>&#xd;
End: </translation>
    </message>
    <message>
        <source>&#xd;
&#xd;
量程：&#xd;
</source>
        <translation>&#xd;
&#xd;
Ranges:&#xd;
</translation>
    </message>
    <message>
        <source>	通道 %02d：</source>
        <translation>	Channel %02d: </translation>
    </message>
    <message>
        <source>选择曲线 &gt;&gt;</source>
        <translation>Curves &gt;&gt;</translation>
    </message>
    <message>
        <source>纵坐标显示模式</source>
        <translation>Y axis</translation>
    </message>
    <message>
        <source>数值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>百分比</source>
        <translation>Percent</translation>
    </message>
    <message>
        <source>横坐标显示模式</source>
        <translation>X axis</translation>
    </message>
    <message>
        <source>长时间</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>短时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>栅格线设置</source>
        <translation>Grid lines</translation>
    </message>
    <message>
        <source>通道 %d</source>
        <translation>Channel %d</translation>
    </message>
    <message>
        <source>就绪</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>缩放</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>历史曲线 - Vardo 2.0</source>
        <translation>History Curves - Vardo 2.0</translation>
    </message>
    <message>
        <source>数据列表 - Vardo 2.0</source>
        <translation>Data List - Vardo 2.0</translation>
    </message>
    <message>
        <source>实时采集 - Vardo 2.0</source>
        <translation>Live Acquisition - Vardo 2.0</translation>
    </message>
    <message>
        <source>历史文件(*.%s)|*.%s|所有文件(*.*)|*.*||</source>
        <translation>History files(*.%s)|*.%s|All files(*.*)|*.*||</translation>
    </message>
    <message>
        <source>找不到帮助文件：%s</source>
        <translation>Help file not found: %s</translation>
    </message>
    <message>
        <source>无法打开帮助文件：%s</source>
        <translation>Cannot open the help file: %s</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>通道数目：%d </source>
        <translation>Channels: %d </translation>
    </message>
    <message>
        <source>记录间隔：%d秒</source>
        <translation>Interval: %d s</translation>
    </message>
    <message>
        <source>通道 %d :</source>
        <translation>Ch %d :</translation>
    </message>
    <message>
        <source>缩放:%d%%</source>
        <translation>Zoom:%d%%</translation>
    </message>
    <message>
        <source>缩放:%.2f%%</source>
        <translation>Zoom:%.2f%%</translation>
    </message>
    <message>
        <source>%lld天%02d:%02d:%02d</source>
        <translation>%lldd %02d:%02d:%02d</translation>
    </message>
    <message>
        <source>打印文件：</source>
        <translation>File: </translation>
    </message>
    <message>
        <source>无法打印：%s</source>
        <translation>Cannot print: %s</translation>
    </message>
    <message>
        <source>下次启动程序时使用新的语言。</source>
        <translation>The new language takes effect the next time the program starts.</translation>
    </message>
    <message>
        <source>统计</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>正在统计…</source>
        <translation>Computing statistics…</translation>
    </message>
    <message>
        <source>通道</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>均值</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>峰值</source>
        <translation>Peak</translation>
    </message>
    <message>
        <source>谷值</source>
        <translation>Valley</translation>
    </message>
    <message>
        <source>计算</source>
        <translation>Compute</translation>
    </message>
    <message>
        <source>峰值包络</source>
        <translation>Peak envelope</translation>
    </message>
    <message>
        <source>打开档案</source>
        <translation>Open from Archive</translation>
    </message>
    <message>
        <source>记录</source>
        <translation>Records</translation>
    </message>
    <message>
        <source>来源：</source>
        <translation>Sources:</translation>
    </message>
    <message>
        <source>添加时间</source>
        <translation>Added</translation>
    </message>
    <message>
        <source>方式</source>
        <translation>How</translation>
    </message>
    <message>
        <source>记录数</source>
        <translation>Records</translation>
    </message>
    <message>
        <source>CF卡</source>
        <translation>CF card</translation>
    </message>
    <message>
        <source>实时</source>
        <translation>Live</translation>
    </message>
    <message>
        <source>采集</source>
        <translation>Collection</translation>
    </message>
    <message>
        <source>最近一天</source>
        <translation>Last day</translation>
    </message>
    <message>
        <source>最近一周</source>
        <translation>Last week</translation>
    </message>
    <message>
        <source>最近一月</source>
        <translation>Last month</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
    <message>
        <source>档案库不存在！</source>
        <translation>The archive does not exist!</translation>
    </message>
    <message>
        <source>档案库已损坏或不是本程序的档案库！</source>
        <translation>The archive is damaged or not this program's archive!</translation>
    </message>
    <message>
        <source>无法打开档案库！</source>
        <translation>Cannot open the archive!</translation>
    </message>
    <message>
        <source>读取档案库失败！</source>
        <translation>Reading the archive failed!</translation>
    </message>
    <message>
        <source>添加到档案库失败！</source>
        <translation>Adding to the archive failed!</translation>
    </message>
    <message>
        <source>无法确定仪表地址</source>
        <translation>cannot tell the recorder's address</translation>
    </message>
    <message>
        <source>文件	地址	仪表类型	新增	已有	冲突</source>
        <translation>File	Address	Model	Added	Present	Conflicts</translation>
    </message>
    <message>
        <source>站点	地址	仪表类型	通道数	记录间隔	开始时间	结束时间	记录数</source>
        <translation>Site	Address	Model	Channels	Interval	Start time	End time	Records</translation>
    </message>
    <message>
        <source>时间	方式	文件	大小	SHA-256	设备	主机	版本</source>
        <translation>Time	How	File	Size	SHA-256	Device	Host	Version</translation>
    </message>
    <message>
        <source>一致</source>
        <translation>same</translation>
    </message>
    <message>
        <source>已改变</source>
        <translation>changed</translation>
    </message>
    <message>
        <source>缺失</source>
        <translation>missing</translation>
    </message>
    <message>
        <source>ZT550_12通道</source>
        <translation>ZT550_12 channels</translation>
    </message>
    <message>
        <source>ZT770伪彩</source>
        <translation>ZT770 pseudo-colour</translation>
    </message>
    <message>
        <source>ZT770真彩</source>
        <translation>ZT770 true colour</translation>
    </message>
    <message>
        <source>ZT770_12通道伪彩</source>
        <translation>ZT770_12 ch. pseudo-colour</translation>
    </message>
    <message>
        <source>ZT770_12通道真彩</source>
        <translation>ZT770_12 ch. true colour</translation>
    </message>
    <message>
        <source>打开历史文件(&amp;O)...	Ctrl+O</source>
        <translation>&amp;Open History File...	Ctrl+O</translation>
    </message>
    <message>
        <source>打开历史文档
打开</source>
        <translation>Open a history file
Open</translation>
    </message>
    <message>
        <source>打开档案...</source>
        <translation>Open from Archive...</translation>
    </message>
    <message>
        <source>打开档案中仪表的一段记录
打开档案</source>
        <translation>Open a span of a recorder's records from the archive
Open from archive</translation>
    </message>
    <message>
        <source>上传CF卡文件(&amp;U)...	Ctrl+U</source>
        <translation>&amp;Upload CF Card Files...	Ctrl+U</translation>
    </message>
    <message>
        <source>上传CF卡文件
上传CF卡文件</source>
        <translation>Upload files from the CF card
Upload CF card files</translation>
    </message>
    <message>
        <source>串口上传数据(&amp;C)...	Ctrl+C</source>
        <translation>Serial Upload(&amp;C)...	Ctrl+C</translation>
    </message>
    <message>
        <source>使用串口上传数据
串口上传数据</source>
        <translation>Upload data over the serial line
Serial upload</translation>
    </message>
    <message>
        <source>数据导出(&amp;E)...	Ctrl+E</source>
        <translation>&amp;Export Data...	Ctrl+E</translation>
    </message>
    <message>
        <source>导出Excel
导出Excel</source>
        <translation>Export to Excel
Export</translation>
    </message>
    <message>
        <source>通讯设置(&amp;S)...	Ctrl+S</source>
        <translation>Communication &amp;Settings...	Ctrl+S</translation>
    </message>
    <message>
        <source>通讯设置
通讯设置</source>
        <translation>Communication settings
Communication settings</translation>
    </message>
    <message>
        <source>打印(&amp;P)...	Ctrl+P</source>
        <translation>&amp;Print...	Ctrl+P</translation>
    </message>
    <message>
        <source>打印
打印</source>
        <translation>Print
Print</translation>
    </message>
    <message>
        <source>打印预览(&amp;V)	Ctrl+V</source>
        <translation>Print Pre&amp;view	Ctrl+V</translation>
    </message>
    <message>
        <source>打印预览
打印预览</source>
        <translation>Print preview
Print preview</translation>
    </message>
    <message>
        <source>退出(&amp;X)	Alt+F4</source>
        <translation>E&amp;xit	Alt+F4</translation>
    </message>
    <message>
        <source>退出应用程序；提示保存文档
退出</source>
        <translation>Quit the application
Exit</translation>
    </message>
    <message>
        <source>历史曲线(&amp;H)	1</source>
        <translation>&amp;History Curves	1</translation>
    </message>
    <message>
        <source>历史曲线
历史曲线</source>
        <translation>History curves
History curves</translation>
    </message>
    <message>
        <source>数据列表(&amp;D)	2</source>
        <translation>&amp;Data List	2</translation>
    </message>
    <message>
        <source>数据列表
数据列表</source>
        <translation>Data list
Data list</translation>
    </message>
    <message>
        <source>实时数显(&amp;R)	3</source>
        <translation>&amp;Real Time	3</translation>
    </message>
    <message>
        <source>实时曲线
实时曲线</source>
        <translation>Live curves
Live curves</translation>
    </message>
    <message>
        <source>设置面板(&amp;P)	4</source>
        <translation>Settings &amp;Panel	4</translation>
    </message>
    <message>
        <source>工具栏(&amp;T)</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>显示或隐藏工具栏
显隐工具栏</source>
        <translation>Show or hide the toolbar
Toggle toolbar</translation>
    </message>
    <message>
        <source>状态栏(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>显示或隐藏状态栏
显隐状态栏</source>
        <translation>Show or hide the status bar
Toggle status bar</translation>
    </message>
    <message>
        <source>前进(&amp;F)	-&gt;</source>
        <translation>&amp;Forward	-&gt;</translation>
    </message>
    <message>
        <source>前进
前进</source>
        <translation>Forward
Forward</translation>
    </message>
    <message>
        <source>后退(&amp;B)	&lt;-</source>
        <translation>&amp;Back	&lt;-</translation>
    </message>
    <message>
        <source>后退
后退</source>
        <translation>Back
Back</translation>
    </message>
    <message>
        <source>放大(&amp;Z)	Z</source>
        <translation>&amp;Zoom In	Z</translation>
    </message>
    <message>
        <source>曲线放大
曲线放大</source>
        <translation>Zoom the curves in
Zoom in</translation>
    </message>
    <message>
        <source>缩小(&amp;x)	X</source>
        <translation>Zoom Out(&amp;x)	X</translation>
    </message>
    <message>
        <source>曲线缩小
曲线缩小</source>
        <translation>Zoom the curves out
Zoom out</translation>
    </message>
    <message>
        <source>实际尺寸(&amp;R)	R</source>
        <translation>Actual Size(&amp;R)	R</translation>
    </message>
    <message>
        <source>实际尺寸
实际尺寸</source>
        <translation>Actual size
Actual size</translation>
    </message>
    <message>
        <source>定位查询(&amp;P)	P</source>
        <translation>Go to Time(&amp;P)	P</translation>
    </message>
    <message>
        <source>定位查询
定位查询</source>
        <translation>Go to a time
Go to time</translation>
    </message>
    <message>
        <source>范围设定(&amp;A)	A </source>
        <translation>R&amp;ange	A </translation>
    </message>
    <message>
        <source>范围设定
范围设定</source>
        <translation>Set the range
Range</translation>
    </message>
    <message>
        <source>顺序(&amp;A)</source>
        <translation>Oldest First(&amp;A)</translation>
    </message>
    <message>
        <source>顺序
顺序</source>
        <translation>Oldest first
Oldest first</translation>
    </message>
    <message>
        <source>倒序(&amp;D)</source>
        <translation>Newest First(&amp;D)</translation>
    </message>
    <message>
        <source>倒序
倒序</source>
        <translation>Newest first
Newest first</translation>
    </message>
    <message>
        <source>开始(&amp;S)	S</source>
        <translation>&amp;Start	S</translation>
    </message>
    <message>
        <source>开始实时采集
开始实时采集</source>
        <translation>Start live acquisition
Start acquisition</translation>
    </message>
    <message>
        <source>停止(&amp;T)	T</source>
        <translation>S&amp;top	T</translation>
    </message>
    <message>
        <source>停止实时采集
停止实时采集</source>
        <translation>Stop live acquisition
Stop acquisition</translation>
    </message>
    <message>
        <source>均值峰值统计(&amp;S)</source>
        <translation>Mean and Peak &amp;Statistics</translation>
    </message>
    <message>
        <source>峰值均值统计
峰值均值统计</source>
        <translation>Mean and peak statistics
Statistics</translation>
    </message>
    <message>
        <source>汉字内码转换(&amp;C)</source>
        <translation>Chinese &amp;Character Codes</translation>
    </message>
    <message>
        <source>历史文件浏览(&amp;B)</source>
        <translation>&amp;Browse History Files</translation>
    </message>
    <message>
        <source>采集设置(&amp;R)...</source>
        <translation>Collection Settings(&amp;R)...</translation>
    </message>
    <message>
        <source>立即采集(&amp;N)...</source>
        <translation>Collect &amp;Now...</translation>
    </message>
    <message>
        <source>跟随桌面</source>
        <translation>Follow the desktop</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>帮助手册
帮助手册</source>
        <translation>The guide
Help</translation>
    </message>
    <message>
        <source>关于(&amp;A)...</source>
        <translation>&amp;About...</translation>
    </message>
    <message>
        <source>显示程序信息，版本号和版权
关于</source>
        <translation>Program information, version and copyright
About</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>查看(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>操作(&amp;O)</source>
        <translation>&amp;Operate</translation>
    </message>
    <message>
        <source>排列顺序(&amp;S)</source>
        <translation>&amp;Sort Order</translation>
    </message>
    <message>
        <source>工具(&amp;T)</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>Vardo 使用说明（中文）</source>
        <translation>Vardo Guide (in Chinese)</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
</context>
</TS>
