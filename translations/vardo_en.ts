<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>vardo</name>
    <message>
        <source>提示...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未知文件格式！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>该文件已经损坏！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打开文件失败！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打开历史数据</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>实时曲线</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打开串口失败！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>通讯失败！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请确认 开始时间 &lt; 结束时间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>开始时间 超出范围</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>结束时间 超出范围</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件建立失败！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上传完毕</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>通讯设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>记录仪类型：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>记录仪地址：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>串口：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>波特率：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>采样时间：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存数据</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确认</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设备：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>串口名称最多5个字符，例如 COM1。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法写入设置文件 %s，设置未保存。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>串口上传数据</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>时间范围：%d-%02d-%02d %02d:%02d:%02d =&gt; %d-%02d-%02d %02d:%02d:%02d</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上传通道</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>通道%d</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>仪表类型</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上传所有数据</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>时间设定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>开始时间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上传</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>停止</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>采集设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>立即采集</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>名称	端口	地址	仪表类型	站点</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%s	新增 %lld	%s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>仪表已覆盖 %lld 条记录，丢失 %s 至 %s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>仪表时钟比本机快 %lld 秒</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>仪表时钟比本机慢 %lld 秒</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>读不出仪表时钟</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>档案库已有晚于仪表最新记录的记录，本次无新记录</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>串口被其他程序占用</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已停止</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>名称</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>端口</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>地址</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>站点</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>波特率</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>进度</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>新增</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>结果</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>默认</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>添加</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>修改</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>删除</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>测试</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>正在读取仪表…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请输入名称和端口，名称不能含有 [ ]。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已有名为 %s 的仪表。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>时间范围：%s =&gt; %s
记录间隔：%d秒  通道数：%d
仪表时钟：%s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无新记录</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>等待</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>与 %s 的站点、地址和仪表类型相同，档案库无法区分</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请输入一个整数。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请输入一个在 %d 和 %d 之间的整数。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>范围设定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>时间范围：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>开始时间：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>结束时间：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>间隔：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>记录间隔</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关闭</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>定位查询</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>起始时间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>结束时间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>查询时间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>查询</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>时间超出查询范围，请重新输入。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上传CF卡文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>盘符</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>通道数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%d秒</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>检测CF卡</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存文件...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>检测CF卡失败，请检查CF是否连接正确！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CF卡备份文件有误，请重新备份！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请选择列表中需要上传的文件！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>扇区损坏！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>该文件不存在！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>建立文件失败！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件上传完成！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件浏览</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>浏览</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请选择所在的根目录</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打开</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>内码转换</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>汉字：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>码：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>没有要查的汉字</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文字不是UTF-8编码</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>该字符没有GBK内码</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>码必须是2位或4位</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>码的第一个字节不能是0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>该码不是GBK字符</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>串口被占用</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>初始化失败，请检查通讯是否正常！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>读取组态参数...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>读取组态参数 : 通道 %d</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>分配存储空间...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设置文件中的记录仪类型 (JlyIndex 0..7) 或采样时间 (Interval 0..8) 超出范围。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>实时数据写入失败，已停止保存。已保存的数据保留在：
%s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>中断的实时保存，已按最新记录改名为 %s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>中断的实时保存，没有记录，已删除</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>中断的实时保存，无法改名（%s），保留原名</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>没有打开 %s 的权限：请把用户加入 %s 组（sudo usermod -aG %s $USER），重新登录后再试。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设置文件大于 %d MB，已忽略：各项设置取默认值，更改不会保存。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>编号</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>时间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>档案库中没有仪表 %s 的记录</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>仪表地址 </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> 有多种仪表类型：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>，请用 --recorder </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>:型号 指定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>列	开始时间	结束时间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>通道%d最小</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>通道%d最大</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据读取中...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%d 个记录间隔</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打印文件:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打印时间：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Excel 导出</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Excel 导出历史数据</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>建立文件失败，可能缺少Excel驱动!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>输出完成！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 已经存在。
要替换它吗?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>导出...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>排序：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>倒序</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>顺序</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件名：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&#xd;
&#xd;
仪表类型：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&#xd;
&#xd;
通道数：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&#xd;
&#xd;
记录间隔：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&#xd;
&#xd;
开始时间：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%d年%02d月%02d日 %02d时%02d分%02d秒</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&#xd;
结束时间：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&#xd;
&#xd;
量程：&#xd;
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>	通道 %02d：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>选择曲线 &gt;&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>纵坐标显示模式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数值</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>百分比</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>横坐标显示模式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>长时间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>短时间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>栅格线设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>通道 %d</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>就绪</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>缩放</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>历史曲线 - Vardo 2.0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据列表 - Vardo 2.0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>实时采集 - Vardo 2.0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>历史文件(*.%s)|*.%s|所有文件(*.*)|*.*||</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>找不到帮助文件：%s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法打开帮助文件：%s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>通道数目：%d </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>记录间隔：%d秒</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>通道 %d :</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>缩放:%d%%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>缩放:%.2f%%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%lld天%02d:%02d:%02d</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打印文件：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法打印：%s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>统计</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>通道</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>均值</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>峰值</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>谷值</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>计算</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>峰值包络</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打开档案</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>记录</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最近一天</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最近一周</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最近一月</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>全部</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>档案库不存在！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>档案库已损坏或不是本程序的档案库！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法打开档案库！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>读取档案库失败！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>添加到档案库失败！</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无法确定仪表地址</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件	地址	仪表类型	新增	已有	冲突</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>站点	地址	仪表类型	通道数	记录间隔	开始时间	结束时间	记录数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>时间	方式	文件	大小	SHA-256	设备	主机	版本</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>一致</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已改变</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>缺失</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ZT550_12通道</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ZT770伪彩</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ZT770真彩</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ZT770_12通道伪彩</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ZT770_12通道真彩</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打开历史文件(&amp;O)...	Ctrl+O</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打开历史文档
打开</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打开档案...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打开档案中仪表的一段记录
打开档案</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上传CF卡文件(&amp;U)...	Ctrl+U</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上传CF卡文件
上传CF卡文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>串口上传数据(&amp;C)...	Ctrl+C</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>使用串口上传数据
串口上传数据</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据导出(&amp;E)...	Ctrl+E</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>导出Excel
导出Excel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>通讯设置(&amp;S)...	Ctrl+S</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>通讯设置
通讯设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打印(&amp;P)...	Ctrl+P</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打印
打印</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打印预览(&amp;V)	Ctrl+V</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打印预览
打印预览</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>退出(&amp;X)	Alt+F4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>退出应用程序；提示保存文档
退出</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>历史曲线(&amp;H)	1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>历史曲线
历史曲线</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据列表(&amp;D)	2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据列表
数据列表</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>实时数显(&amp;R)	3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>实时曲线
实时曲线</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设置面板(&amp;P)	4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>工具栏(&amp;T)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>显示或隐藏工具栏
显隐工具栏</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>状态栏(&amp;S)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>显示或隐藏状态栏
显隐状态栏</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>前进(&amp;F)	-&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>前进
前进</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>后退(&amp;B)	&lt;-</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>后退
后退</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>放大(&amp;Z)	Z</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>曲线放大
曲线放大</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>缩小(&amp;x)	X</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>曲线缩小
曲线缩小</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>实际尺寸(&amp;R)	R</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>实际尺寸
实际尺寸</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>定位查询(&amp;P)	P</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>定位查询
定位查询</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>范围设定(&amp;A)	A </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>范围设定
范围设定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>顺序(&amp;A)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>顺序
顺序</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>倒序(&amp;D)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>倒序
倒序</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>开始(&amp;S)	S</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>开始实时采集
开始实时采集</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>停止(&amp;T)	T</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>停止实时采集
停止实时采集</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>均值峰值统计(&amp;S)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>峰值均值统计
峰值均值统计</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>汉字内码转换(&amp;C)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>历史文件浏览(&amp;B)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>采集设置(&amp;R)...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>立即采集(&amp;N)...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>帮助手册
帮助手册</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关于(&amp;A)...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>显示程序信息，版本号和版权
关于</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>查看(&amp;V)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>操作(&amp;O)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>排列顺序(&amp;S)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>工具(&amp;T)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>；</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
