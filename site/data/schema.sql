-- The demo site's database, created on first run as /data/vote.asp in the
-- data folder (never inside the checkout).
CREATE TABLE [Vote] (
  [ID] INTEGER PRIMARY KEY AUTOINCREMENT,
  [Title] TEXT NOT NULL,
  [Votes] INTEGER NOT NULL DEFAULT 0,
  [AddTime] TEXT NOT NULL DEFAULT (datetime('now', 'localtime'))
);
INSERT INTO [Vote] ([Title], [Votes]) VALUES ('上传组件好用吗', 12);
INSERT INTO [Vote] ([Title], [Votes]) VALUES ('拼音首字母准确吗', 7);
INSERT INTO [Vote] ([Title], [Votes]) VALUES ('错误页清楚吗', 3);
INSERT INTO [Vote] ([Title], [Votes]) VALUES ('文件管理方便吗', 5);

-- The news list: a few hundred generated rows, so that it pages, searches
-- and sorts. Titles and contents cycle through word lists so that keyword
-- searches find some rows and not others.
CREATE TABLE [news] (
  [id] INTEGER PRIMARY KEY AUTOINCREMENT,
  [title] TEXT NOT NULL,
  [content] TEXT,
  [dateandtime] TEXT NOT NULL
);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 320)
INSERT INTO [news] ([title], [content], [dateandtime])
SELECT
  (CASE i % 5 WHEN 0 THEN '公司' WHEN 1 THEN '校园' WHEN 2 THEN '体育' WHEN 3 THEN '科技' ELSE '文化' END)
    || '新闻 ' || printf('%03d', i),
  (CASE i % 3 WHEN 0 THEN '上传组件发布新版本' WHEN 1 THEN '网站改版完成' ELSE '年度会议召开' END)
    || '，第 ' || i || ' 条。',
  datetime('2026-01-01 08:00:00', '+' || (i * 7) || ' hours')
FROM n;
