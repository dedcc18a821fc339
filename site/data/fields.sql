-- Tables of the field, calendar, tab and export demos; run after schema.sql.
-- The news list may already be there (the list-page demo makes it); dated
-- records keep yyyymmddhhmmss stamps, which the calendar reads.
CREATE TABLE IF NOT EXISTS [news] (
  [id] INTEGER PRIMARY KEY AUTOINCREMENT,
  [title] TEXT NOT NULL,
  [content] TEXT,
  [dateandtime] TEXT NOT NULL
);
UPDATE [news] SET [dateandtime] = strftime('%Y%m%d%H%M%S', [dateandtime]) WHERE [dateandtime] LIKE '____-__-__%';
-- A few of its own only when nobody else filled the table.
INSERT INTO [news] ([title], [content], [dateandtime])
SELECT * FROM (VALUES
  ('组件新版本发布', '新版本改进了上传与导出。', '20261201090000'),
  ('校园运动会开幕', '运动会为期三天。', '20261203083000'),
  ('体育新闻：篮球联赛', '联赛第二轮结束。', '20261203150000'))
WHERE NOT EXISTS (SELECT 1 FROM [news]);

-- Option lists: the dictionary (name, category, order), departments and groups.
CREATE TABLE [Sjzd] ([ID] INTEGER PRIMARY KEY AUTOINCREMENT, [名称] TEXT NOT NULL, [分类] TEXT NOT NULL, [序号] INTEGER);
INSERT INTO [Sjzd] ([名称], [分类], [序号]) VALUES ('公司新闻', '类别', 1), ('行业动态', '类别', 2), ('通知公告', '类别', 3),
  ('首页', '栏目', 1), ('内页', '栏目', 2), ('专题', '栏目', 3);
CREATE TABLE [BuMen] ([ID] INTEGER PRIMARY KEY AUTOINCREMENT, [部门名称] TEXT NOT NULL, [排列顺序] INTEGER);
INSERT INTO [BuMen] ([部门名称], [排列顺序]) VALUES ('办公室', 1), ('技术部', 2), ('市场部', 3);
CREATE TABLE [Part] ([ID] INTEGER PRIMARY KEY AUTOINCREMENT, [Part] TEXT NOT NULL, [SortId] INTEGER);
INSERT INTO [Part] ([Part], [SortId]) VALUES ('编辑组', 1), ('审核组', 2);

-- What the edit form keeps beside a news record, one row per record.
CREATE TABLE [NewsExtra] (
  [NewsID] INTEGER PRIMARY KEY,
  [身份证号码] TEXT, [类别] TEXT, [部门名称] TEXT, [Part] TEXT, [栏目] TEXT, [审核] BIT NOT NULL DEFAULT 0,
  [密码] TEXT, [发布日期] TEXT, [作者] TEXT, [来源] TEXT, [摘要] TEXT, [图片] TEXT, [备注] TEXT
);
INSERT INTO [NewsExtra] ([NewsID], [类别], [部门名称], [Part], [栏目], [审核], [密码], [发布日期], [作者], [来源], [摘要], [备注])
VALUES (1, '公司新闻', '技术部', '编辑组', '首页', 1, 'secret', '2026-12-01', '张三', '本站原创', '版本说明', '无');
